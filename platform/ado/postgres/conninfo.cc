// The libpq connection string for an ADO one.
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/ado/postgres/pg_provider.h"
#include "platform/ado/text.h"

namespace ado::postgres {

namespace {

// libpq's quoting of a connection-string value.
std::string Quote(std::string_view value) {
  std::string out = "'";
  for (char c : value) {
    if (c == '\'' || c == '\\') out += '\\';
    out += c;
  }
  return out + "'";
}

std::optional<std::string> FirstOf(const ConnectionString& cs, std::initializer_list<std::string_view> keys) {
  for (std::string_view k : keys)
    if (auto v = cs.Get(k); v && !TrimBlanks(*v).empty()) return std::string(TrimBlanks(*v));
  return std::nullopt;
}

// The name of the local time zone, so that the server's local times are the client's.
std::optional<std::string> LocalZone() {
  std::string zone;
  if (const char* tz = std::getenv("TZ"); tz && *tz) {
    zone = tz[0] == ':' ? tz + 1 : tz;
  } else {
    char buf[512];
    ssize_t n = readlink("/etc/localtime", buf, sizeof buf - 1);
    if (n <= 0) return std::nullopt;
    std::string target(buf, static_cast<size_t>(n));
    size_t at = target.find("zoneinfo/");
    if (at == std::string::npos) return std::nullopt;
    zone = target.substr(at + 9);
  }
  if (zone.empty() || zone[0] == '/') return std::nullopt;
  for (char c : zone)
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/' || c == '_' ||
          c == '-' || c == '+'))
      return std::nullopt;
  return zone;
}

}  // namespace

std::string ConnInfo(const ConnectionString& cs, int32_t connection_timeout_s) {
  std::string info;
  auto add = [&info](std::string_view key, std::string_view value) {
    if (!info.empty()) info += ' ';
    info.append(key).append("=").append(Quote(value));
  };
  std::optional<std::string> port = FirstOf(cs, {"Port"});
  if (auto host = FirstOf(cs, {"Host", "Server", "Data Source", "Address"})) {
    size_t comma = host->find(',');
    if ((*host)[0] != '/' && comma != std::string::npos) {  // "host,port" as SQL Server writes it
      if (!port) port = std::string(TrimBlanks(host->substr(comma + 1)));
      host->resize(comma);
    }
    add("host", *host);
  }
  if (port) add("port", *port);
  if (auto db = FirstOf(cs, {"Database", "Initial Catalog"})) add("dbname", *db);
  if (auto user = FirstOf(cs, {"User ID", "UID", "User", "User Name"})) add("user", *user);
  if (auto password = cs.Get("Password") ? cs.Get("Password") : cs.Get("PWD")) add("password", *password);
  if (connection_timeout_s > 0) add("connect_timeout", std::to_string(std::max(connection_timeout_s, 2)));
  add("client_encoding", "UTF8");
  add("application_name", "mom");
  std::string options = "-c DateStyle=ISO,YMD -c IntervalStyle=postgres -c extra_float_digits=1";
  if (auto zone = LocalZone()) options += " -c TimeZone=" + *zone;
  add("options", options);
  return info;
}

}  // namespace ado::postgres
