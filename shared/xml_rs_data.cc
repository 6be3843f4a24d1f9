#include "shared/xml_rs_data.h"

#include <map>

#include "platform/com/creation.h"
#include "platform/com/late_binding.h"

namespace mom::XMLRSData {

namespace {

// Module data of one thread (apartment): the server reference and the message cache.
struct ThreadMessages {
  com::Ptr<com::IDispatch> server;
  std::map<std::string, com::Variant, std::less<>> cache;
  int32_t fetches = 0;
};

ThreadMessages& Messages() {
  thread_local ThreadMessages messages;
  return messages;
}

com::IDispatch* Server(ThreadMessages& m) {
  if (!m.server) m.server = com::CreateObject("REREVORU.ResourceSrv");
  return m.server.get();
}

std::string CachedText(ThreadMessages& m, std::string_view key) {
  auto it = m.cache.find(key);
  if (it == m.cache.end()) {
    com::Variant key_arg{std::string(key)};
    com::Variant args[] = {com::Variant::Ref(&key_arg)};
    // Added only once the server answered: a failed fetch is asked again next time.
    com::Variant text = com::CallByName(Server(m), "GetResString", args);
    ++m.fetches;
    it = m.cache.emplace(std::string(key), std::move(text)).first;
  }
  return it->second.ToString();
}

}  // namespace

std::string GetResText(std::string_view key) {
  ThreadMessages& m = Messages();
  Server(m);
  return CachedText(m, key);
}

std::string GetResTextById(int32_t number) {
  ThreadMessages& m = Messages();
  com::Variant number_arg(number);
  com::Variant args[] = {com::Variant::Ref(&number_arg)};
  std::string key = com::CallByName(Server(m), "GetMapResString", args).ToString();
  return CachedText(m, key);
}

int32_t ResourceFetchCount() { return Messages().fetches; }

}  // namespace mom::XMLRSData
