#pragma once
// Server side of late binding for objects described by a TypeInfo.
//
// InvokeMember prepares a call the way automation does: too many arguments give
// DISP_E_BADPARAMCOUNT, an omitted required one DISP_E_PARAMNOTOPTIONAL, an omitted
// optional one takes its default, every value is converted to its declared type
// (13 "Type mismatch" on failure); by-reference arguments are written back after the
// body ran, converted to the declared type.
//
// AutomationObject is a ready dispatch object whose members are handlers, for the
// small servers of the suite.

#include <functional>
#include <span>
#include <vector>

#include "platform/com/dispatch.h"
#include "platform/com/object.h"
#include "platform/com/type_info.h"

namespace com {

using MemberBody = std::function<Variant(std::span<Variant> args)>;

HResult InvokeMember(const FuncDesc& func, std::span<Variant> args, Variant* result,
                     ExcepInfo* excep, const MemberBody& body) noexcept;

class AutomationObject : public Object<IDispatch> {
 public:
  // `iid`: the dispatch interface's own identifier, answered like IDispatch.
  AutomationObject(std::string interface_name, Guid iid = kNullGuid);

  const TypeInfo* GetTypeInfo() override { return &type_info_; }
  HResult GetIdOfName(std::string_view name, DispId* id) override;
  HResult Invoke(DispId id, InvokeKind kind, std::span<Variant> args, Variant* result,
                 ExcepInfo* excep) override;

 protected:
  // Declares a member. `id` 0 takes the next free id (starting at 1).
  void AddMember(FuncDesc desc, MemberBody body);
  bool QueryExtraInterface(const Guid& iid, void** out) override;

 private:
  TypeInfo type_info_;
  std::vector<MemberBody> bodies_;
};

// Shorthands for declaring parameters.
ParamDesc InParam(std::string name, VarType type);
ParamDesc RefParam(std::string name, VarType type);
ParamDesc OptParam(std::string name, VarType type, Variant default_value, bool by_ref = true);

}  // namespace com
