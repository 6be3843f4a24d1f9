#pragma once
// The servers of the sales and external-order modules that MO generation calls while
// it runs: both work on the connection they are handed, inside its transaction.
//
//   VERORavede.clsSOFunc
//     CheckSOKRTS(conn, id, Krts, msg) -> Boolean: the caller's token of sales order
//       `id` still equals the order's current one; otherwise false with a message.
//       A passing check moves the token (and so locks the order) in the caller's
//       transaction: the same token passes once.
//     SOTOWriteBack(conn, isosid, qty, msg) -> Boolean: adds qty to the line's
//       fMoQuantity (the quantity for which MOs exist); a missing or closed line, or
//       one whose fMoQuantity would go past its ordered quantity, leaves a message.
//   DEDARiredizur.clsInterface
//     SoToMoWriteBackEx(login, conn, sign, doc type, MoDId, qty, autoid, Krts, msg)
//       -> Boolean: records the MO line on the external-order line (MoDId,
//       fMoQuantity += qty), refusing a missing line, a line that already has another
//       MO, an order changed since its token was read, or a sign that does not
//       match the quantity (3 for a negative quantity, 1 otherwise).
// Every argument is by reference.

#include "platform/com/automation_object.h"

namespace suite {

inline constexpr com::Guid kClsidSoFunc{0x3F1C7A20, 0x52D4, 0x4B8E, {0x9C, 0x11, 0x6E, 0x20, 0x7A, 0x41, 0x0B, 0x51}};
inline constexpr char kProgIdSoFunc[] = "VERORavede.clsSOFunc";
inline constexpr com::Guid kClsidExInterface{
    0x3F1C7A21, 0x52D4, 0x4B8E, {0x9C, 0x11, 0x6E, 0x20, 0x7A, 0x41, 0x0B, 0x52}};
inline constexpr char kProgIdExInterface[] = "DEDARiredizur.clsInterface";

class SoFunc : public com::AutomationObject {
 public:
  SoFunc();
};

class ExInterface : public com::AutomationObject {
 public:
  ExInterface();
};

}  // namespace suite
