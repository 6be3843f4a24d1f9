#include "tools/mom/json_values.h"

#include <fstream>
#include <vector>

#include "platform/ado/connection.h"
#include "platform/com/date.h"
#include "tools/mom/console_error.h"
#include "tools/mom/utf8_text.h"

namespace mom_console {

Json ToJson(const com::Variant& value) {
  const com::Variant& v = value.Deref();
  switch (v.type()) {
    case com::VarType::Empty:
    case com::VarType::Null:
    case com::VarType::Error: return nullptr;
    case com::VarType::Bool: return v.ToBool();
    case com::VarType::I2:
    case com::VarType::I4:
    case com::VarType::I8:
    case com::VarType::UI1: return v.ToI8();
    case com::VarType::R8:
    case com::VarType::Currency: return v.ToR8();
    case com::VarType::Date: return com::FormatDateTime(v.ToDate());
    case com::VarType::String: return EscapeInvalidUtf8(v.ToString());
    case com::VarType::Array: {
      Json items = Json::array();
      for (const com::Variant& item : v.ToArray().items) items.push_back(ToJson(item));
      return items;
    }
    case com::VarType::Dispatch:
    case com::VarType::Unknown: {
      com::Ptr<com::IUnknown> object = v.ToUnknown();
      if (!object) return nullptr;
      if (auto rs = object.As<ado::Recordset>()) return RecordsetToJson(*rs);
      if (object.As<ado::Connection>()) return "(Connection)";
      return "(Object)";
    }
    case com::VarType::Variant: break;
  }
  return nullptr;
}

Json RecordsetToJson(ado::Recordset& rs) {
  Json out;
  Json fields = Json::array();
  Json rows = Json::array();
  if (rs.State() == ado::adStateOpen) {
    for (int32_t i = 0; i < rs.fields().Count(); ++i)
      fields.push_back(EscapeInvalidUtf8(rs.fields().Item(i).Name()));
    if (rs.RecordCount() > 0) {
      for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
        Json row = Json::object();
        for (int32_t i = 0; i < rs.fields().Count(); ++i) {
          ado::Field& f = rs.fields().Item(i);
          row[EscapeInvalidUtf8(f.Name())] = ToJson(f.Value());
        }
        rows.push_back(std::move(row));
      }
    }
  }
  out["fields"] = std::move(fields);
  out["rows"] = std::move(rows);
  return out;
}

namespace {

// The narrowest field type that holds every value of a column.
ado::ColumnInfo InferColumn(const std::string& name, const std::vector<const Json*>& values) {
  bool all_int = true, all_number = true, all_bool = true, all_date = true, any = false;
  for (const Json* v : values) {
    if (!v || v->is_null()) continue;
    any = true;
    all_int = all_int && v->is_number_integer();
    all_number = all_number && v->is_number();
    all_bool = all_bool && v->is_boolean();
    all_date = all_date && v->is_string() && v->get<std::string>().size() >= 10 &&
               com::ParseDate(v->get<std::string>()).has_value();
  }
  ado::ColumnInfo c;
  c.name = name;
  c.nullable = true;
  if (!any) {
    c.type = ado::adVarWChar;
    c.size = 255;
  } else if (all_bool) {
    c.type = ado::adBoolean;
  } else if (all_int) {
    c.type = ado::adInteger;
    for (const Json* v : values)
      if (v && v->is_number_integer() && (v->get<int64_t>() > INT32_MAX || v->get<int64_t>() < INT32_MIN))
        c.type = ado::adBigInt;
  } else if (all_number) {
    c.type = ado::adDouble;
  } else if (all_date) {
    c.type = ado::adDate;
  } else {
    c.type = ado::adVarWChar;
    c.size = 4000;
  }
  return c;
}

com::Variant ValueOf(const Json* v, const ado::ColumnInfo& column) {
  if (!v || v->is_null()) return com::Variant::Null();
  if (v->is_boolean()) return com::Variant(v->get<bool>());
  if (v->is_number_integer()) {
    int64_t i = v->get<int64_t>();
    if (column.type == ado::adDouble) return com::Variant(static_cast<double>(i));
    if (column.type == ado::adInteger) return com::Variant(static_cast<int32_t>(i));
    return com::Variant(i);
  }
  if (v->is_number()) return com::Variant(v->get<double>());
  if (v->is_string()) {
    if (column.type == ado::adDate) return com::Variant(*com::ParseDate(v->get<std::string>()));
    return com::Variant(v->get<std::string>());
  }
  return com::Variant(v->dump());
}

}  // namespace

com::Ptr<ado::Recordset> RecordsetFromJson(const Json& json, const std::string& what) {
  std::vector<std::string> names;
  const Json* rows = &json;
  if (json.is_object()) {
    if (!json.contains("rows") || !json["rows"].is_array())
      throw UsageError(what + ": a recordset is an array of row objects or {\"fields\":[...],\"rows\":[...]}");
    rows = &json["rows"];
    if (json.contains("fields"))
      for (const Json& f : json["fields"]) names.push_back(f.get<std::string>());
  } else if (!json.is_array()) {
    throw UsageError(what + ": a recordset is an array of row objects or {\"fields\":[...],\"rows\":[...]}");
  }
  for (const Json& row : *rows) {
    if (!row.is_object()) throw UsageError(what + ": every row must be a JSON object");
    for (const auto& [key, value] : row.items())
      if (std::find(names.begin(), names.end(), key) == names.end()) names.push_back(key);
  }
  std::vector<ado::ColumnInfo> columns;
  for (const std::string& name : names) {
    std::vector<const Json*> values;
    for (const Json& row : *rows) values.push_back(row.contains(name) ? &row[name] : nullptr);
    columns.push_back(InferColumn(name, values));
  }
  std::vector<std::vector<com::Variant>> data;
  for (const Json& row : *rows) {
    std::vector<com::Variant> values;
    for (const ado::ColumnInfo& c : columns) values.push_back(ValueOf(row.contains(c.name) ? &row[c.name] : nullptr, c));
    data.push_back(std::move(values));
  }
  com::Ptr<ado::Recordset> rs = ado::Recordset::Create();
  rs->SetCursorLocation(ado::adUseClient);
  rs->SetLockType(ado::adLockBatchOptimistic);
  rs->OpenRows(std::move(columns), std::move(data));
  return rs;
}

com::Ptr<ado::Recordset> RecordsetFromFile(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw UsageError("cannot read " + path);
  Json json;
  try {
    json = Json::parse(in);
  } catch (const std::exception& e) {
    throw UsageError(path + " is not valid JSON: " + e.what());
  }
  return RecordsetFromJson(json, path);
}

}  // namespace mom_console
