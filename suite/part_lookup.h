#pragma once
// The suite's part lookup (class {7D75FDE8-B578-45AE-80A0-48D3F828D3F9}): finds the
// part of an item with its free-item values on the caller's connection. Early-bound
// through IPartLookup and late-bound through the same member, FindPart.

#include <memory>

#include "platform/com/automation_object.h"
#include "platform/com/object.h"
#include "suite/part_lookup_interface.h"

namespace suite {

inline constexpr char kProgIdPartLookup[] = "MomSuite.PartLookup";

class PartLookup final : public com::Object<IPartLookup> {
 public:
  using Interface = IPartLookup;
  PartLookup();
  ~PartLookup() override;

  com::HResult FindPart(com::Ptr<com::IDispatch>* object, std::string* cInvCode, std::string* cFree1,
                        std::string* cFree2, std::string* cFree3, std::string* cFree4, std::string* cFree5,
                        std::string* cFree6, std::string* cFree7, std::string* cFree8, std::string* cFree9,
                        std::string* cFree10, int32_t* PartId, std::string* ErrMsg, com::Ptr<ado::Connection>* cn,
                        int16_t* result) override;

  const com::TypeInfo* GetTypeInfo() override;
  com::HResult GetIdOfName(std::string_view name, com::DispId* id) override;
  com::HResult Invoke(com::DispId id, com::InvokeKind kind, std::span<com::Variant> args, com::Variant* result,
                      com::ExcepInfo* excep) override;

 private:
  class Dispatch;
  com::Ptr<com::AutomationObject> dispatch_;  // the late-bound view
};

}  // namespace suite
