// A server library for the generation tests, with two stand-ins, each registered by an
// entry point of its own:
//  - DllRegisterServer: a CommonFunctions steered by the calling thread's values of
//    mogen/scripted_numbering.h: it hands out the scripted codes and counts them, runs
//    the scripted statements as another user on the current login's database, and
//    otherwise answers as a suite without ATO parts would (2 quantity decimals).
//  - RegisterSilentSalesServer: a VERORavede.clsSOFunc whose order check refuses every
//    order without saying why, and whose write-back accepts everything.

#include <string>
#include <vector>

#include "mogen/scripted_numbering.h"
#include "platform/ado/connection.h"
#include "platform/ado/recordset.h"
#include "platform/com/automation_object.h"
#include "platform/com/class_factory.h"
#include "platform/com/creation.h"
#include "platform/com/error_info.h"
#include "platform/com/registry.h"
#include "platform/com/thread_values.h"
#include "suite/current_login.h"

namespace {

namespace scripted = mom::mogen::scripted;

std::string Text(const char* name) {
  com::Variant v = com::ThreadValue(name);
  return v.is_empty() ? std::string() : v.ToString();
}

// Runs the statement in thread value `name`, if any, on a connection of its own to the
// thread's current login: another user.
void RunAsAnotherUser(const char* name) {
  const std::string sql = Text(name);
  if (sql.empty()) return;
  com::Ptr<ado::Connection> other = ado::Connection::Create();
  other->Open(Text(suite::kCurrentLoginValue));
  other->Execute(sql);
}

constexpr com::Guid kClsid{0xFE69A578, 0xF184, 0x4B1A, {0xA3, 0x67, 0x9D, 0x36, 0xB4, 0x30, 0x0D, 0x50}};
constexpr com::Guid kIidNumbering{0xEAA5C714, 0xB561, 0x497A, {0xBE, 0x7C, 0xDC, 0xEE, 0x16, 0x7F, 0x8F, 0xEB}};

std::vector<std::string> ScriptedCodes() {
  std::vector<std::string> codes;
  const std::string s = Text(scripted::kDocumentCodes);
  if (s.empty()) return codes;
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
                RunAsAnotherUser(scripted::kSqlOnDigits);
                return com::Variant(int32_t{2});
              });
    AddMember({"GetDocumentCode",
               0x60020003,
               com::InvokeKind::Method,
               {com::RefParam("cDocType", com::VarType::String), com::RefParam("cCondition", com::VarType::String),
                com::RefParam("Codes", com::VarType::Variant), com::RefParam("bAuto", com::VarType::Bool)},
               com::VarType::String},
              [this](std::span<com::Variant>) {
                const int32_t n = com::ThreadValue(scripted::kCodesFetched).ToI4() + 1;
                com::SetThreadValue(scripted::kCodesFetched, com::Variant(n));
                if (com::ThreadValue(scripted::kSqlOnCodeAt).ToI4() == n) RunAsAnotherUser(scripted::kSqlOnCode);
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
