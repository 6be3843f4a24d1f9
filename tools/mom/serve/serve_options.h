#pragma once
// The command line of `mom serve`:
//   mom serve DB [--listen ADDR:PORT | --socket PATH] [--token-file FILE | --insecure-loopback]
//                [--threads N] [--max-body BYTES] [--key-ttl SECONDS] [--user U] [--acc A]
//                [--log FILE]
// The service listens on loopback (127.0.0.1:8470) unless told otherwise; an address
// beyond loopback must be named with --listen. Callers need the bearer token read
// from --token-file; only a service on loopback or a Unix socket may run without one,
// and only when --insecure-loopback says so.

#include <cstdint>
#include <string>

#include "tools/mom/commands.h"

namespace mom_service {

inline constexpr char kDefaultHost[] = "127.0.0.1";
inline constexpr int kDefaultPort = 8470;

struct ListenAddress {
  std::string host;         // numeric address or "localhost"; empty with a socket
  int port = 0;             // 0: any free port
  std::string socket_path;  // a Unix socket instead of TCP

  bool IsLoopback() const;
  // "127.0.0.1:8470", "[::1]:8470" or "unix:/run/mom.sock".
  std::string ToString() const;
};

struct ServeOptions {
  std::string db;
  ListenAddress listen{kDefaultHost, kDefaultPort, ""};
  std::string token_file;
  bool insecure_loopback = false;
  int threads = 8;
  int64_t max_body_bytes = 1 << 20;
  int64_t key_ttl_seconds = 24 * 3600;
  std::string user;
  std::string accounting_set = "001";
  std::string log_file;  // empty: standard error
};

// Raises mom_console::UsageError naming what to change.
ServeOptions ParseServeOptions(const mom_console::Words& words);

// "HOST:PORT" or "[V6]:PORT"; raises UsageError.
ListenAddress ParseListenAddress(const std::string& text);

// The token in `path`: its first line without surrounding blanks, at least 16
// printable ASCII characters. Raises UsageError.
std::string ReadBearerToken(const std::string& path);

}  // namespace mom_service
