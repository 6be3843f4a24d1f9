#pragma once
// The exchange dictionary between EcnApplyChangeRef and its dialog: a dictionary as
// scripting hosts know it. Keys are compared exactly (case-sensitive); reading a key
// that is missing adds it with an Empty value, so an absent answer reads as 0 or "".
//
// Late-bound members: Add(key, item) (457 when the key exists), Item(key) get/put
// (default member), Exists(key), Remove(key) (32811 when missing), Count.

#include <map>
#include <string>

#include "platform/com/automation_object.h"

namespace mom::ecn {

class ExchangeDictionary : public com::AutomationObject {
 public:
  ExchangeDictionary();

  void Add(const std::string& key, com::Variant item);
  // The value of `key`, added as Empty when missing.
  com::Variant& Item(const std::string& key);
  void SetItem(const std::string& key, com::Variant item) { Item(key) = std::move(item); }
  bool Exists(const std::string& key) const { return items_.contains(key); }
  void Remove(const std::string& key);
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }

 private:
  std::map<std::string, com::Variant> items_;
};

}  // namespace mom::ecn
