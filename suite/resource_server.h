#pragma once
// "REREVORU.ResourceSrv": message texts by resource key, and the key of a message number.

#include "platform/com/automation_object.h"

namespace suite {

inline constexpr com::Guid kClsidResourceServer{0x5B0E2A11, 0x7C3D, 0x4E52, {0x9A, 0x61, 0x2D, 0x3B, 0x84, 0x1F, 0x60, 0x01}};
inline constexpr char kProgIdResourceServer[] = "REREVORU.ResourceSrv";

class ResourceServer : public com::AutomationObject {
 public:
  ResourceServer();
};

}  // namespace suite
