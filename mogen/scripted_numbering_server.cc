// A server library for the generation tests, with two stand-ins, each registered by an
// entry point of its own:
//  - DllRegisterServer: a CommonFunctions that hands out the codes listed in
//    $MOM_TEST_DOCUMENT_CODES (comma-separated, in order; "" once they are used up) and
//    counts the codes asked for in $MOM_TEST_CODES_FETCHED. Its other members answer as
//    a suite without ATO parts would; GetQuantityDigits first runs the statement in
//    $MOM_TEST_SQL_ON_DIGITS, if any, on the current login's database (another user's
//    change arriving while a crediting is under way), and GetDocumentCode runs the
//    statement in $MOM_TEST_SQL_ON_CODE the same way when it is asked for code number
//    $MOM_TEST_SQL_ON_CODE_AT (1-based; a generation run in the middle of a line).
//  - RegisterSilentSalesServer: a VERORavede.clsSOFunc whose order check refuses every
//    order without saying why, and whose write-back accepts everything.

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/ado/connection.h"
#include "platform/ado/recordset.h"
#include "platform/com/automation_object.h"
#include "platform/com/class_factory.h"
#include "platform/com/creation.h"
#include "platform/com/error_info.h"
#include "platform/com/registry.h"

namespace {

// Runs `sql` on a connection of its own to the current login's database: another user.
void RunAsAnotherUser(const char* sql) {
  com::Ptr<ado::Connection> other = ado::Connection::Create();
  other->Open(std::getenv("MOM_LOGIN_DB"));
  other->Execute(sql);
}

constexpr com::Guid kClsid{0xFE69A578, 0xF184, 0x4B1A, {0xA3, 0x67, 0x9D, 0x36, 0xB4, 0x30, 0x0D, 0x50}};
constexpr com::Guid kIidNumbering{0xEAA5C714, 0xB561, 0x497A, {0xBE, 0x7C, 0xDC, 0xEE, 0x16, 0x7F, 0x8F, 0xEB}};

std::vector<std::string> ScriptedCodes() {
  std::vector<std::string> codes;
  const char* text = std::getenv("MOM_TEST_DOCUMENT_CODES");
  if (!text) return codes;
  std::string s = text;
  size_t start = 0;
  for (;;) {
    size_t comma = s.find(',', start);
    codes.push_back(s.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return codes;
}

class ScriptedNumbering : public com::AutomationObject {
 public:
  ScriptedNumbering() : AutomationObject("ICommonFunctions", kIidNumbering), codes_(ScriptedCodes()) {
    AddMember({"GetPartId",
               0x60020000,
               com::InvokeKind::Method,
               {com::RefParam("cInvCode", com::VarType::String), com::RefParam("Frees", com::VarType::Variant)},
               com::VarType::I4},
              [](std::span<com::Variant>) { return com::Variant(int32_t{0}); });
    AddMember({"GetQuantityDigits", 0x60020001, com::InvokeKind::Method, {}, com::VarType::I4},
              [](std::span<com::Variant>) {
                const char* sql = std::getenv("MOM_TEST_SQL_ON_DIGITS");
                if (sql && *sql) RunAsAnotherUser(sql);
                return com::Variant(int32_t{2});
              });
    AddMember({"GetDocumentCode",
               0x60020003,
               com::InvokeKind::Method,
               {com::RefParam("cDocType", com::VarType::String), com::RefParam("cCondition", com::VarType::String),
                com::RefParam("Codes", com::VarType::Variant), com::RefParam("bAuto", com::VarType::Bool)},
               com::VarType::String},
              [this](std::span<com::Variant>) {
                const char* fetched = std::getenv("MOM_TEST_CODES_FETCHED");
                int n = fetched ? std::atoi(fetched) : 0;
                ::setenv("MOM_TEST_CODES_FETCHED", std::to_string(n + 1).c_str(), 1);
                const char* sql = std::getenv("MOM_TEST_SQL_ON_CODE");
                const char* at = std::getenv("MOM_TEST_SQL_ON_CODE_AT");
                if (sql && *sql && at && std::atoi(at) == n + 1) RunAsAnotherUser(sql);
                return com::Variant(next_ < codes_.size() ? codes_[next_++] : std::string());
              });
  }

 private:
  std::vector<std::string> codes_;
  size_t next_ = 0;
};

constexpr com::Guid kClsidSilentSales{0x6A3E0B71, 0x2C55, 0x4F0E, {0x8B, 0x19, 0x3D, 0x44, 0x5A, 0x20, 0x7C, 0x01}};

class SilentSalesServer : public com::AutomationObject {
 public:
  SilentSalesServer() : AutomationObject("IclsSOFunc") {
    std::vector<com::ParamDesc> params = {
        com::RefParam("conn", com::VarType::Unknown), com::RefParam("id", com::VarType::I4),
        com::RefParam("Krts", com::VarType::String), com::RefParam("msg", com::VarType::String)};
    AddMember({"CheckSOKRTS", 0, com::InvokeKind::Method, params, com::VarType::Bool},
              [](std::span<com::Variant>) { return com::Variant(false); });
    params[2] = com::RefParam("qty", com::VarType::R8);
    AddMember({"SOTOWriteBack", 0, com::InvokeKind::Method, params, com::VarType::Bool},
              [](std::span<com::Variant>) { return com::Variant(true); });
  }
};

}  // namespace

extern "C" __attribute__((visibility("default"))) com::HResult DllGetClassObject(const com::Guid* clsid,
                                                                                 const com::Guid* iid, void** out) {
  if (!clsid || !iid || !out) return com::E_POINTER;
  *out = nullptr;
  if (*clsid == kClsid) return com::MakeObject<com::ClassFactory<ScriptedNumbering>>()->QueryInterface(*iid, out);
  if (*clsid == kClsidSilentSales)
    return com::MakeObject<com::ClassFactory<SilentSalesServer>>()->QueryInterface(*iid, out);
  return com::CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" __attribute__((visibility("default"))) com::HResult DllCanUnloadNow() { return com::S_FALSE; }

extern "C" __attribute__((visibility("default"))) com::HResult DllRegisterServer() {
  return com::GuardCall([] {
    std::string path = com::LibraryPathOf(reinterpret_cast<const void*>(&DllRegisterServer));
    com::Registry::Update(com::Registry::DefaultPath(), [&](com::Registry& r) {
      com::ClassRegistration reg;
      reg.clsid = kClsid;
      reg.description = "Scripted numbering for tests";
      reg.library_path = path;
      com::RegisterClass(r, reg);
    });
  });
}

extern "C" __attribute__((visibility("default"))) com::HResult RegisterSilentSalesServer() {
  return com::GuardCall([] {
    std::string path = com::LibraryPathOf(reinterpret_cast<const void*>(&RegisterSilentSalesServer));
    com::Registry::Update(com::Registry::DefaultPath(), [&](com::Registry& r) {
      com::ClassRegistration reg;
      reg.clsid = kClsidSilentSales;
      reg.prog_id = "VERORavede.clsSOFunc";
      reg.description = "Sales server that refuses silently, for tests";
      reg.library_path = path;
      com::RegisterClass(r, reg);
    });
  });
}
