#include "suite/ds_to_rs.h"

#include <pugixml.hpp>

#include "platform/ado/error.h"
#include "platform/ado/recordset.h"
#include "platform/ado/text.h"
#include "platform/com/error.h"

namespace suite {

namespace {

std::vector<std::string> Names(const com::Variant& array) {
  std::vector<std::string> names;
  if (array.is_empty() || array.is_missing()) return names;
  for (const com::Variant& item : array.ToArray().items) names.push_back(item.ToString());
  return names;
}

// A new, empty, disconnected recordset shaped like `model`, or with text fields named
// `names` when the model has no fields.
com::Ptr<ado::Recordset> EmptyLike(const com::Ptr<ado::Recordset>& model, const std::vector<std::string>& names) {
  com::Ptr<ado::Recordset> rs = ado::Recordset::Create();
  rs->SetCursorLocation(ado::adUseClient);
  if (model && model->fields().Count() > 0) {
    for (int32_t i = 0; i < model->fields().Count(); ++i) {
      const ado::Field& f = model->fields().Item(i);
      ado::Field& copy = rs->fields().Append(f.Name(), f.Type(), f.DefinedSize(), f.Attributes() | ado::adFldIsNullable);
      copy.SetPrecision(f.Precision());
      copy.SetNumericScale(f.NumericScale());
    }
  } else {
    for (const std::string& name : names) rs->fields().Append(name, ado::adVarWChar, 4000, ado::adFldIsNullable);
  }
  rs->Open();
  return rs;
}

// What a field of `type` holds, for the user.
std::string TypeName(ado::DataType type) {
  switch (type) {
    case ado::adTinyInt:
    case ado::adUnsignedTinyInt: return "0 到 255 的整数";
    case ado::adSmallInt: return "短整数";
    case ado::adInteger: return "整数";
    case ado::adBigInt: return "长整数";
    case ado::adBoolean: return "是否值";
    case ado::adSingle:
    case ado::adDouble:
    case ado::adDecimal:
    case ado::adNumeric:
    case ado::adCurrency: return "数值";
    case ado::adDate:
    case ado::adDBTimeStamp: return "日期";
    default: return "该字段的类型";
  }
}

// Why `field` refuses `text`, naming the row and the field.
std::string Refusal(const std::string& table, int row_number, const std::string& source, const ado::Field& field,
                    const std::string& text) {
  std::string where = "数据集 " + table + " 第 " + std::to_string(row_number) + " 行的字段 " + source;
  size_t length = ado::Utf8Length(text);
  if (ado::IsTextType(field.Type()) && field.DefinedSize() > 0 && length > static_cast<size_t>(field.DefinedSize()))
    return where + "：值长 " + std::to_string(length) + " 个字符，超过字段长度 " +
           std::to_string(field.DefinedSize()) + " 个字符";
  std::string shown(ado::Utf8Prefix(text, 40));
  if (length > 40) shown += "…";
  return where + "：值“" + shown + "”不能转换为" + TypeName(field.Type());
}

bool IsNil(const pugi::xml_node& node) {
  for (const pugi::xml_attribute& a : node.attributes()) {
    std::string name = a.name();
    if ((name == "xsi:nil" || name.ends_with(":nil") || name == "nil") && a.as_bool()) return true;
  }
  return false;
}

com::Variant Fill(std::span<com::Variant> args) {
  const std::string data = args[1].ToString();
  const std::string table = args[2].ToString();
  std::vector<std::string> sources = Names(args[3]);
  std::vector<std::string> targets = Names(args[4]);
  if (targets.size() < sources.size()) targets.resize(sources.size());
  for (size_t i = 0; i < sources.size(); ++i)
    if (targets[i].empty()) targets[i] = sources[i];

  pugi::xml_document doc;
  pugi::xml_parse_result parsed = doc.load_buffer(data.data(), data.size(), pugi::parse_default, pugi::encoding_utf8);
  if (!parsed)
    throw com::Error(com::kErrAutomation, "数据格式错误：数据文本在第 " + std::to_string(parsed.offset) +
                                              " 字节处不是格式正确的 XML");

  com::Ptr<ado::Recordset> model = args[0].is_object() ? args[0].ToObject<ado::Recordset>() : nullptr;
  com::Ptr<ado::Recordset> rs = EmptyLike(model, targets);
  size_t rows = 0;
  for ([[maybe_unused]] pugi::xml_node row : doc.document_element().children(table.c_str())) ++rows;
  rs->ReserveRows(rows);
  int row_number = 0;
  for (pugi::xml_node row : doc.document_element().children(table.c_str())) {
    ++row_number;
    rs->AddNew();
    for (size_t i = 0; i < sources.size(); ++i) {
      pugi::xml_node cell = row.child(sources[i].c_str());
      if (!cell || IsNil(cell)) continue;
      std::string text = cell.text().get();
      ado::Field* field = rs->fields().Find(targets[i]);
      if (!field)
        throw com::Error(ado::kErrItemNotFound, "数据集 " + table + " 第 " + std::to_string(row_number) +
                                                    " 行：记录集中没有字段 " + targets[i]);
      try {
        field->SetValue(com::Variant(text));
      } catch (const com::Error& e) {
        throw com::Error(e.number(), Refusal(table, row_number, sources[i], *field, text));
      }
    }
  }
  if (rs->RecordCount() > 0) rs->MoveFirst();
  args[0] = com::Variant(com::Ptr<com::IUnknown>(static_cast<com::IUnknown*>(rs.get())));
  return com::Variant();
}

}  // namespace

DsToRs::DsToRs() : AutomationObject("IclsDsToRs") {
  AddMember({"Fill", 0, com::InvokeKind::Method,
             {com::RefParam("rs", com::VarType::Variant), com::RefParam("data", com::VarType::String),
              com::RefParam("table", com::VarType::String), com::RefParam("sources", com::VarType::Variant),
              com::RefParam("targets", com::VarType::Variant)},
             com::VarType::Empty},
            Fill);
}

}  // namespace suite
