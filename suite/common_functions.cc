#include "suite/common_functions.h"

#include <vector>

#include "platform/com/error.h"
#include "suite/current_login.h"
#include "suite/db_access.h"

namespace suite {

namespace {

constexpr com::DispId kGetPartId = 0x60020000;
constexpr com::DispId kGetQuantityDigits = 0x60020001;
constexpr com::DispId kGetDocumentCode = 0x60020003;

}  // namespace

CommonFunctions::CommonFunctions() : AutomationObject("ICommonFunctions", kIidCommonFunctions) {
  AddMember({"GetPartId",
             kGetPartId,
             com::InvokeKind::Method,
             {com::RefParam("cInvCode", com::VarType::String), com::RefParam("Frees", com::VarType::Variant)},
             com::VarType::I4},
            [this](std::span<com::Variant> args) {
              std::vector<std::string> frees;
              const com::Variant& array = args[1].Deref();
              if (!array.is_empty() && !array.is_missing())
                for (const com::Variant& item : array.ToArray().items)
                  frees.push_back(item.is_null() ? std::string() : item.ToString());
              std::optional<int32_t> id = FindPartId(Database().get(), args[0].ToString(), frees);
              return com::Variant(id.value_or(0));
            });
  AddMember({"GetQuantityDigits", kGetQuantityDigits, com::InvokeKind::Method, {}, com::VarType::I4},
            [this](std::span<com::Variant>) {
              com::Ptr<ado::Recordset> rs = QueryRows(
                  Database().get(), "select cValue from AccInformation where cSysId = 'AA' and cName = 'iStrsQuanDecDgt'");
              return com::Variant(rs->Eof() ? int32_t{0} : rs->fields().Item(0).Value().ToI4());
            });
  AddMember({"GetDocumentCode",
             kGetDocumentCode,
             com::InvokeKind::Method,
             {com::RefParam("cDocType", com::VarType::String), com::RefParam("cCondition", com::VarType::String),
              com::RefParam("Codes", com::VarType::Variant), com::RefParam("bAuto", com::VarType::Bool)},
             com::VarType::String},
            [this](std::span<com::Variant> args) { return com::Variant(NextCode(args[0].ToString())); });
}

com::Ptr<ado::Connection> CommonFunctions::Database() { return CurrentLoginConnection(); }

std::string CommonFunctions::NextCode(const std::string& doc_type) {
  auto it = counters_.find(doc_type);
  if (it == counters_.end()) {
    com::Ptr<ado::Recordset> rs =
        QueryRows(Database().get(), "select Prefix, NextNumber from sys_doccode where DocType = ?", {doc_type});
    if (rs->Eof()) return std::string();  // no automatic numbering for this type
    Counter c;
    c.prefix = rs->fields().Item("Prefix").Value().ToString();
    c.next = rs->fields().Item("NextNumber").Value().ToI8();
    if (doc_type == "MO21") {
      // Codes written by hand or by an earlier run that did not advance the counter:
      // the prefix followed by digits only. Read and judged here, so that the
      // statement is one every database runs.
      com::Ptr<ado::Recordset> used =
          QueryRows(Database().get(),
                    "select MoCode from mom_order where substr(MoCode, 1, length(?)) = ? "
                    "and length(MoCode) > length(?)",
                    {c.prefix, c.prefix, c.prefix});
      for (; !used->Eof(); used->MoveNext()) {
        const std::string code = used->fields().Item(0).Value().ToString();
        const std::string digits = code.substr(c.prefix.size());
        if (digits.size() > 18 || digits.find_first_not_of("0123456789") != std::string::npos) continue;
        if (const int64_t n = std::stoll(digits); n >= c.next) c.next = n + 1;
      }
    }
    it = counters_.emplace(doc_type, c).first;
  }
  std::string number = std::to_string(it->second.next++);
  if (number.size() < kDocumentNumberWidth) number.insert(0, kDocumentNumberWidth - number.size(), '0');
  return it->second.prefix + number;
}

}  // namespace suite
