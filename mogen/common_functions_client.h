#pragma once
// The client side of the suite's CommonFunctions: created by class identifier at its
// first use and called late-bound by dispatch identifier only.

#include <cstdint>
#include <string>

#include "component/cls_mom_interface.h"
#include "platform/com/variant.h"

namespace mom::mogen {

class CommonFunctionsClient {
 public:
  // Part id of an item with its ten free texts (an array variant, by reference).
  int32_t GetPartId(const std::string& inv_code, com::Variant& frees);
  int32_t GetQuantityDigits();
  // The next code of `doc_type`; empty or blank when none can be given.
  std::string GetDocumentCode(const std::string& doc_type, const std::string& condition, com::Variant& codes,
                              bool flag);

 private:
  com::IDispatch* Object();
  ObjectRef object_;
};

// A text array with the single index 0, empty: what the runs hand to GetDocumentCode.
com::Variant NewCodeArray();

}  // namespace mom::mogen
