#include "suite/resource_server.h"

#include "suite/resource_table.h"

namespace suite {

ResourceServer::ResourceServer() : AutomationObject("IResourceSrv") {
  // A key without a text answers with a text that says so: a caller that reports it
  // must never show an empty message for a failure.
  AddMember({"GetResString", 0, com::InvokeKind::Method, {com::RefParam("key", com::VarType::String)},
             com::VarType::String},
            [](std::span<com::Variant> args) {
              std::string key = args[0].ToString();
              auto text = ResourceTable::Builtin().TextOf(key);
              return com::Variant(text ? *text : "未定义的消息（" + key + "）");
            });
  AddMember({"GetMapResString", 0, com::InvokeKind::Method, {com::RefParam("number", com::VarType::I4)},
             com::VarType::String},
            [](std::span<com::Variant> args) { return com::Variant(ResourceTable::Builtin().KeyOf(args[0].ToI4())); });
}

}  // namespace suite
