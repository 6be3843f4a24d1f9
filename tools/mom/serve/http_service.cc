#include "tools/mom/serve/http_service.h"

#include <httplib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>

namespace mom_service {

using mom_console::Json;

namespace {

// What the log line of the request being served on this thread says. A request is
// served from its first byte to its log line on one thread of the server's pool.
struct RequestState {
  std::chrono::steady_clock::time_point start;
  std::string operation;
  std::string result;
  std::string message;
  std::string key;
  bool replayed = false;
  std::string note;  // why a request was refused before any call
};
thread_local RequestState t_request;

std::string ErrorBody(const std::string& description) {
  Json body;
  body["error"] = {{"description", description}};
  return body.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// Compares without stopping at the first difference, so that timing tells nothing of
// the token's characters.
bool SameSecret(const std::string& given, const std::string& token) {
  if (given.size() != token.size()) return false;
  unsigned char diff = 0;
  for (size_t i = 0; i < token.size(); ++i) diff |= static_cast<unsigned char>(given[i] ^ token[i]);
  return diff == 0;
}

// Whether a process listens on the Unix socket at `path`.
bool SomeoneListens(const std::string& path) {
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
  bool listens = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  ::close(fd);
  return listens;
}

// A socket file left by a service that ended is replaced; anything else is not.
void ClaimSocketPath(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return;
  if (!S_ISSOCK(st.st_mode)) throw std::runtime_error(path + " exists and is not a socket; it is left alone");
  if (SomeoneListens(path)) throw std::runtime_error("another process listens on " + path);
  ::unlink(path.c_str());
}

}  // namespace

struct HttpService::Impl {
  Impl(CallService& calls, HttpSettings settings, RequestLog& log)
      : calls(calls), settings(std::move(settings)), log(log) {}

  void Install();
  bool Authorized(const httplib::Request& req);
  void ServeCall(const httplib::Request& req, httplib::Response& res);
  void WriteLogLine(const httplib::Request& req, const httplib::Response& res);

  CallService& calls;
  const HttpSettings settings;
  RequestLog& log;
  Metrics metrics;
  httplib::Server server;
  ListenAddress bound;
};

void HttpService::Impl::Install() {
  const int threads = settings.threads;
  server.new_task_queue = [threads] { return new httplib::ThreadPool(static_cast<size_t>(threads)); };
  server.set_payload_max_length(settings.max_body_bytes);
  // Answers go out at once: a small answer waiting for the client's delayed ACK costs
  // 40 ms a request.
  server.set_tcp_nodelay(true);
  // The library's default adds SO_REUSEPORT, with which a second service on the same
  // port would silently take half of the requests; it must fail to start instead.
  server.set_socket_options([](int sock) {
    int yes = 1;
    ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });

  server.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
    t_request = RequestState{};
    t_request.start = std::chrono::steady_clock::now();
    t_request.key = req.get_header_value("Idempotency-Key");
    if (req.method == "GET" && req.path == "/v1/health") return httplib::Server::HandlerResponse::Unhandled;
    if (Authorized(req)) return httplib::Server::HandlerResponse::Unhandled;
    res.status = 401;
    res.set_header("WWW-Authenticate", "Bearer realm=\"mom\"");
    res.set_content(ErrorBody("this service needs the header Authorization: Bearer TOKEN with its token"),
                    "application/json");
    return httplib::Server::HandlerResponse::Handled;
  });

  server.Post(R"(/v1/call/([^/]+))",
              [this](const httplib::Request& req, httplib::Response& res) { ServeCall(req, res); });

  server.Get("/v1/health", [this](const httplib::Request&, httplib::Response& res) {
    std::string why;
    Json body;
    if (calls.Healthy(&why)) {
      body["status"] = "ok";
    } else {
      res.status = 503;
      body["status"] = "unavailable";
      body["error"] = {{"description", why}};
    }
    res.set_content(body.dump(-1, ' ', false, Json::error_handler_t::replace), "application/json");
  });

  server.Get("/v1/metrics", [this](const httplib::Request&, httplib::Response& res) {
    res.set_content(metrics.Render(), "text/plain; version=0.0.4");
  });

  // Answers the library makes itself (no such path, a body over the limit, a request
  // it cannot read) get a JSON body like every other refusal.
  server.set_error_handler(httplib::Server::HandlerWithResponse([this](const httplib::Request& req,
                                                                       httplib::Response& res) {
    if (!res.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
    std::string description;
    switch (res.status) {
      case 404:
        description = "no such resource: " + req.method + " " + req.path +
                      "; the service answers POST /v1/call/{Operation}, GET /v1/health and GET /v1/metrics";
        break;
      case 413:
        description = "the request body is longer than " + std::to_string(settings.max_body_bytes) + " bytes";
        break;
      default: description = "the request was not understood (HTTP " + std::to_string(res.status) + ")";
    }
    t_request.note = description;
    res.set_content(ErrorBody(description), "application/json");
    return httplib::Server::HandlerResponse::Handled;
  }));

  server.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr error) {
    std::string description = "internal error";
    try {
      std::rethrow_exception(error);
    } catch (const std::exception& e) {
      description = e.what();
    } catch (...) {
    }
    t_request.note = description;
    res.status = 500;
    res.set_content(ErrorBody(description), "application/json");
  });

  server.set_logger([this](const httplib::Request& req, const httplib::Response& res) { WriteLogLine(req, res); });
}

bool HttpService::Impl::Authorized(const httplib::Request& req) {
  if (!settings.bearer_token) return true;
  const std::string header = req.get_header_value("Authorization");
  const std::string prefix = "Bearer ";
  if (header.rfind(prefix, 0) != 0) {
    t_request.note = header.empty() ? "no bearer token" : "not a bearer token";
    return false;
  }
  if (!SameSecret(header.substr(prefix.size()), *settings.bearer_token)) {
    t_request.note = "wrong bearer token";
    return false;
  }
  return true;
}

void HttpService::Impl::ServeCall(const httplib::Request& req, httplib::Response& res) {
  CallRequest call{req.matches[1], req.body, req.get_header_value("Idempotency-Key")};
  if (req.has_header("Idempotency-Key") && call.idempotency_key.empty()) call.idempotency_key = " ";  // refused as blank
  CallAnswer answer = calls.Call(call);
  res.status = answer.status;
  if (answer.replayed) res.set_header("Idempotent-Replayed", "true");
  res.set_content(answer.body, "application/json");
  t_request.operation = answer.operation;
  t_request.result = answer.result;
  t_request.message = answer.message;
  t_request.replayed = answer.replayed;
  t_request.note = answer.reason;
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t_request.start).count();
  metrics.RecordCall(answer, seconds);
}

void HttpService::Impl::WriteLogLine(const httplib::Request& req, const httplib::Response& res) {
  metrics.RecordResponse(res.status);
  double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t_request.start).count();
  Json line;
  line["method"] = req.method;
  line["path"] = req.path;
  line["status"] = res.status;
  line["duration_ms"] = static_cast<double>(static_cast<int64_t>(ms * 1000)) / 1000;
  if (!t_request.operation.empty()) line["operation"] = t_request.operation;
  if (!t_request.result.empty()) line["result"] = t_request.result;
  if (!t_request.message.empty()) line["message"] = t_request.message;
  if (!t_request.key.empty()) line["key"] = t_request.key;
  if (t_request.replayed) line["replayed"] = true;
  if (!t_request.note.empty()) line["reason"] = t_request.note;
  line["remote"] = req.remote_addr;
  log.Write("request", line);
}

HttpService::HttpService(CallService& calls, HttpSettings settings, RequestLog& log)
    : impl_(std::make_unique<Impl>(calls, std::move(settings), log)) {
  impl_->Install();
}

HttpService::~HttpService() {
  if (!impl_->bound.socket_path.empty()) ::unlink(impl_->bound.socket_path.c_str());
}

ListenAddress HttpService::Bind() {
  ListenAddress address = impl_->settings.listen;
  httplib::Server& server = impl_->server;
  if (!address.socket_path.empty()) {
    ClaimSocketPath(address.socket_path);
    server.set_address_family(AF_UNIX);
    if (!server.bind_to_port(address.socket_path, 80))
      throw std::runtime_error("cannot listen on " + address.ToString() + ": " + std::strerror(errno));
    // Owner and group: the socket is the service's door on this machine.
    ::chmod(address.socket_path.c_str(), 0660);
  } else if (address.port == 0) {
    int port = server.bind_to_any_port(address.host);
    if (port <= 0) throw std::runtime_error("cannot listen on " + address.ToString());
    address.port = port;
  } else if (!server.bind_to_port(address.host, address.port)) {
    throw std::runtime_error("cannot listen on " + address.ToString() + " (in use, or not an address of this machine)");
  }
  impl_->bound = address;
  return address;
}

bool HttpService::Run() { return impl_->server.listen_after_bind(); }

void HttpService::Stop() { impl_->server.stop(); }

bool HttpService::IsRunning() const { return impl_->server.is_running(); }

const Metrics& HttpService::metrics() const { return impl_->metrics; }

}  // namespace mom_service
