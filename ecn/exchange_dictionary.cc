#include "ecn/exchange_dictionary.h"

#include "platform/com/error.h"

namespace mom::ecn {

namespace {
constexpr int32_t kErrKeyExists = 457;
constexpr int32_t kErrKeyMissing = 32811;
}  // namespace

ExchangeDictionary::ExchangeDictionary() : AutomationObject("IDictionary") {
  AddMember({"Item",
             0,
             com::InvokeKind::PropertyGet,
             {com::InParam("Key", com::VarType::String),
              com::OptParam("value", com::VarType::Variant, com::Variant::Missing(), false)},
             com::VarType::Variant},
            [this](std::span<com::Variant> args) {
              com::Variant& item = Item(args[0].ToString());
              if (!args[1].is_missing()) item = args[1].Value();
              return item;
            });
  AddMember({"Add",
             0,
             com::InvokeKind::Method,
             {com::InParam("Key", com::VarType::String), com::InParam("Item", com::VarType::Variant)},
             com::VarType::Empty},
            [this](std::span<com::Variant> args) {
              Add(args[0].ToString(), args[1].Value());
              return com::Variant();
            });
  AddMember({"Exists", 0, com::InvokeKind::Method, {com::InParam("Key", com::VarType::String)}, com::VarType::Bool},
            [this](std::span<com::Variant> args) { return com::Variant(Exists(args[0].ToString())); });
  AddMember({"Remove", 0, com::InvokeKind::Method, {com::InParam("Key", com::VarType::String)}, com::VarType::Empty},
            [this](std::span<com::Variant> args) {
              Remove(args[0].ToString());
              return com::Variant();
            });
  AddMember({"Count", 0, com::InvokeKind::PropertyGet, {}, com::VarType::I4},
            [this](std::span<com::Variant>) { return com::Variant(Count()); });
}

void ExchangeDictionary::Add(const std::string& key, com::Variant item) {
  if (items_.contains(key)) throw com::Error(kErrKeyExists, "This key is already associated with an element of this collection");
  items_.emplace(key, std::move(item));
}

com::Variant& ExchangeDictionary::Item(const std::string& key) { return items_[key]; }

void ExchangeDictionary::Remove(const std::string& key) {
  if (items_.erase(key) == 0) throw com::Error(kErrKeyMissing, "Element not found");
}

}  // namespace mom::ecn
