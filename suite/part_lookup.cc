#include "suite/part_lookup.h"

#include <vector>

#include "platform/com/error_info.h"
#include "suite/db_access.h"

namespace suite {

namespace {

bool Lookup(const std::string& inv_code, const std::vector<std::string>& frees, int32_t& part_id, std::string& msg,
            ado::Connection* conn) {
  std::optional<int32_t> found = FindPartId(conn, inv_code, frees);
  if (found) {
    part_id = *found;
    return true;
  }
  msg = "存货[" + inv_code + "]及其自由项没有对应的物料";
  return false;
}

}  // namespace

// The late-bound view; its member reads the arguments and writes back through the
// automation layer.
class PartLookup::Dispatch final : public com::AutomationObject {
 public:
  Dispatch() : AutomationObject("IPartLookup", kIidPartLookup) {
    std::vector<com::ParamDesc> params = {com::RefParam("obj", com::VarType::Variant),
                                          com::RefParam("cInvCode", com::VarType::String)};
    for (int i = 1; i <= 10; ++i) params.push_back(com::RefParam("cFree" + std::to_string(i), com::VarType::String));
    params.push_back(com::RefParam("PartId", com::VarType::I4));
    params.push_back(com::RefParam("ErrMsg", com::VarType::String));
    params.push_back(com::RefParam("cn", com::VarType::Unknown));
    AddMember({"FindPart", 0, com::InvokeKind::Method, params, com::VarType::Bool}, [](std::span<com::Variant> args) {
      std::vector<std::string> frees;
      for (int i = 0; i < 10; ++i) frees.push_back(args[2 + i].ToString());
      int32_t part_id = args[12].ToI4();
      std::string msg = args[13].ToString();
      com::Ptr<ado::Connection> conn = ConnectionArg(args[14]);
      bool found = Lookup(args[1].ToString(), frees, part_id, msg, conn.get());
      args[12] = com::Variant(part_id);
      args[13] = com::Variant(msg);
      return com::Variant(found);
    });
  }
};

PartLookup::PartLookup() : dispatch_(com::MakeObject<Dispatch>()) {}
PartLookup::~PartLookup() = default;

com::HResult PartLookup::FindPart(com::Ptr<com::IDispatch>*, std::string* cInvCode, std::string* cFree1,
                                  std::string* cFree2, std::string* cFree3, std::string* cFree4, std::string* cFree5,
                                  std::string* cFree6, std::string* cFree7, std::string* cFree8, std::string* cFree9,
                                  std::string* cFree10, int32_t* PartId, std::string* ErrMsg,
                                  com::Ptr<ado::Connection>* cn, int16_t* result) {
  if (!cInvCode || !PartId || !ErrMsg || !cn || !result) return com::E_POINTER;
  return com::GuardCall([&] {
    std::vector<std::string> frees;
    for (std::string* f : {cFree1, cFree2, cFree3, cFree4, cFree5, cFree6, cFree7, cFree8, cFree9, cFree10})
      frees.push_back(f ? *f : std::string());
    if (!*cn) com::Raise(com::kErrObjectRequired);
    *result = Lookup(*cInvCode, frees, *PartId, *ErrMsg, cn->get()) ? -1 : 0;
  });
}

const com::TypeInfo* PartLookup::GetTypeInfo() { return dispatch_->GetTypeInfo(); }

com::HResult PartLookup::GetIdOfName(std::string_view name, com::DispId* id) {
  return dispatch_->GetIdOfName(name, id);
}

com::HResult PartLookup::Invoke(com::DispId id, com::InvokeKind kind, std::span<com::Variant> args,
                                com::Variant* result, com::ExcepInfo* excep) {
  return dispatch_->Invoke(id, kind, args, result, excep);
}

}  // namespace suite
