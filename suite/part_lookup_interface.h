#pragma once
// IPartLookup: the early-bound interface of the suite's part lookup. Its first member
// after IDispatch is FindPart; every argument is by reference and the last parameter
// receives the result (true: `part_id` names the part of the item with these free
// items; false: `msg` says why not). The callee may replace the connection.

#include <cstdint>
#include <string>

#include "platform/ado/connection.h"
#include "platform/com/dispatch.h"
#include "platform/com/ptr.h"

namespace suite {

inline constexpr com::Guid kClsidPartLookup{
    0x7D75FDE8, 0xB578, 0x45AE, {0x80, 0xA0, 0x48, 0xD3, 0xF8, 0x28, 0xD3, 0xF9}};
inline constexpr com::Guid kIidPartLookup{0xBFDA8D9D, 0xB42D, 0x4162, {0x9C, 0x45, 0xC2, 0xF9, 0xB2, 0x9C, 0xFF, 0xC4}};

struct IPartLookup : com::IDispatch {
  using Base = com::IDispatch;
  static constexpr com::Guid kIid = kIidPartLookup;

  virtual com::HResult FindPart(com::Ptr<com::IDispatch>* object, std::string* cInvCode, std::string* cFree1,
                                std::string* cFree2, std::string* cFree3, std::string* cFree4, std::string* cFree5,
                                std::string* cFree6, std::string* cFree7, std::string* cFree8, std::string* cFree9,
                                std::string* cFree10, int32_t* PartId, std::string* ErrMsg,
                                com::Ptr<ado::Connection>* cn, int16_t* result) = 0;

 protected:
  ~IPartLookup() = default;
};

}  // namespace suite
