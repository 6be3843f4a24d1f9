#pragma once
// CommonFunctions: part ids, quantity decimals and document codes for the suite's
// modules. Members by dispatch id: 0x60020000 GetPartId(item code, free-item array),
// 0x60020001 GetQuantityDigits(), 0x60020003 GetDocumentCode(doc type, condition,
// array, flag); 0x60020002 is not served.
//
// It is handed no connection: it reaches the database of the calling thread's current
// login (suite/current_login.h), on the connection that the thread's servers share for
// it, so that a crediting or a code costs a statement, not a session. It only reads
// there: the generation run that calls it holds the database's write lock in its own
// transaction.
//
// Document codes: an instance reads the type's prefix and next number from
// sys_doccode (and, for MO codes, the highest code already used) once, then counts
// on by itself, so it never hands out the same code twice. A code taken in the
// meantime is refused by the generation procedure, which asks for the next one.

#include <map>
#include <memory>
#include <string>

#include "platform/ado/connection.h"
#include "platform/com/automation_object.h"

namespace suite {

inline constexpr com::Guid kClsidCommonFunctions{
    0xFE69A578, 0xF184, 0x4B1A, {0xA3, 0x67, 0x9D, 0x36, 0xB4, 0x30, 0x0D, 0x50}};
inline constexpr com::Guid kIidCommonFunctions{
    0xEAA5C714, 0xB561, 0x497A, {0xBE, 0x7C, 0xDC, 0xEE, 0x16, 0x7F, 0x8F, 0xEB}};
inline constexpr char kProgIdCommonFunctions[] = "MomSuite.CommonFunctions";
inline constexpr int kDocumentNumberWidth = 6;

class CommonFunctions : public com::AutomationObject {
 public:
  CommonFunctions();

 private:
  // The thread's connection of the moment: the login may change between calls.
  com::Ptr<ado::Connection> Database();
  std::string NextCode(const std::string& doc_type);

  struct Counter {
    std::string prefix;
    int64_t next = 0;
  };
  std::map<std::string, Counter> counters_;
};

}  // namespace suite
