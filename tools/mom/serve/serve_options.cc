#include "tools/mom/serve/serve_options.h"

#include <charconv>
#include <cstdlib>
#include <fstream>

#include "tools/mom/console_error.h"

namespace mom_service {

using mom_console::UsageError;

namespace {

int64_t ParseCount(const std::string& option, const std::string& text, int64_t min, int64_t max) {
  int64_t v = 0;
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || ptr != text.data() + text.size() || v < min || v > max)
    throw UsageError(option + " takes a whole number from " + std::to_string(min) + " to " + std::to_string(max) +
                     ", got '" + text + "'");
  return v;
}

}  // namespace

bool ListenAddress::IsLoopback() const {
  if (!socket_path.empty()) return true;
  return host == "localhost" || host == "::1" || host.rfind("127.", 0) == 0;
}

std::string ListenAddress::ToString() const {
  if (!socket_path.empty()) return "unix:" + socket_path;
  const bool v6 = host.find(':') != std::string::npos;
  return (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

ListenAddress ParseListenAddress(const std::string& text) {
  ListenAddress address;
  std::string port;
  if (!text.empty() && text[0] == '[') {
    size_t close = text.find(']');
    if (close == std::string::npos || close + 1 >= text.size() || text[close + 1] != ':')
      throw UsageError("--listen takes ADDR:PORT or [IPV6]:PORT, got '" + text + "'");
    address.host = text.substr(1, close - 1);
    port = text.substr(close + 2);
  } else {
    size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0 || text.find(':') != colon)
      throw UsageError("--listen takes ADDR:PORT or [IPV6]:PORT, got '" + text + "'");
    address.host = text.substr(0, colon);
    port = text.substr(colon + 1);
  }
  if (address.host.empty()) throw UsageError("--listen needs an address, got '" + text + "'");
  address.port = static_cast<int>(ParseCount("--listen's port", port, 0, 65535));
  return address;
}

std::string ReadBearerToken(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw UsageError("cannot read the token file " + path);
  std::string token;
  std::getline(in, token);
  const char* blanks = " \t\r\n";
  size_t first = token.find_first_not_of(blanks);
  token = first == std::string::npos ? "" : token.substr(first, token.find_last_not_of(blanks) - first + 1);
  if (token.size() < 16) throw UsageError("the token in " + path + " is shorter than 16 characters");
  for (unsigned char c : token)
    if (c < 0x21 || c > 0x7e) throw UsageError("the token in " + path + " may hold only printable ASCII characters");
  return token;
}

ServeOptions ParseServeOptions(const mom_console::Words& words) {
  ServeOptions o;
  const char* env_user = std::getenv("USER");
  o.user = env_user && *env_user ? env_user : "admin";
  bool listen_given = false;
  std::vector<std::string> positional;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i];
    auto value = [&]() -> const std::string& {
      if (i + 1 >= words.size()) throw UsageError(w + " needs a value");
      return words[++i];
    };
    if (w == "--listen" || w == "--socket") {
      if (listen_given) throw UsageError("give one --listen or --socket");
      listen_given = true;
    }
    if (w == "--listen") {
      o.listen = ParseListenAddress(value());
    } else if (w == "--socket") {
      o.listen = ListenAddress{"", 0, value()};
      if (o.listen.socket_path.empty()) throw UsageError("--socket needs a path");
      if (o.listen.socket_path.size() > 100) throw UsageError("--socket: the path is too long for a Unix socket");
    } else if (w == "--token-file") {
      o.token_file = value();
    } else if (w == "--insecure-loopback") {
      o.insecure_loopback = true;
    } else if (w == "--threads") {
      o.threads = static_cast<int>(ParseCount(w, value(), 1, 256));
    } else if (w == "--max-body") {
      o.max_body_bytes = ParseCount(w, value(), 1024, int64_t{1} << 30);
    } else if (w == "--key-ttl") {
      o.key_ttl_seconds = ParseCount(w, value(), 1, int64_t{366} * 24 * 3600);
    } else if (w == "--user") {
      o.user = value();
    } else if (w == "--acc") {
      o.accounting_set = value();
    } else if (w == "--log") {
      o.log_file = value();
    } else if (w.rfind("--", 0) == 0) {
      throw UsageError("unknown option " + w);
    } else {
      positional.push_back(w);
    }
  }
  if (positional.size() != 1) throw UsageError("usage: mom serve DB [options]");
  o.db = positional[0];
  if (!o.token_file.empty() && o.insecure_loopback)
    throw UsageError("give --token-file or --insecure-loopback, not both");
  if (o.token_file.empty() && !o.insecure_loopback)
    throw UsageError("callers need a bearer token: --token-file FILE (or --insecure-loopback, for a service on "
                     "loopback that anyone on this machine may call)");
  if (o.insecure_loopback && !o.listen.IsLoopback())
    throw UsageError("--insecure-loopback serves only loopback or a Unix socket, not " + o.listen.ToString());
  return o;
}

}  // namespace mom_service
