// mom serve DB [--listen ADDR:PORT | --socket PATH] [--token-file FILE | --insecure-loopback] ...

#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/com/error.h"
#include "tools/mom/commands.h"
#include "tools/mom/console_error.h"
#include "tools/mom/database_target.h"
#include "tools/mom/serve/call_service.h"
#include "tools/mom/serve/http_service.h"
#include "tools/mom/serve/request_log.h"
#include "tools/mom/serve/serve_options.h"

namespace mom_console {

namespace {


// Deletes expired idempotency keys now and then, until told to stop.
class KeySweeper {
 public:
  KeySweeper(mom_service::CallService& calls, mom_service::RequestLog& log, int64_t ttl_seconds)
      : interval_(std::chrono::seconds(std::clamp<int64_t>(ttl_seconds / 10, 1, 300))),
        thread_([this, &calls, &log] { Loop(calls, log); }) {}
  ~KeySweeper() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }

 private:
  void Loop(mom_service::CallService& calls, mom_service::RequestLog& log) {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
      lock.unlock();
      try {
        if (int64_t n = calls.PurgeExpiredKeys(); n > 0) log.Write("keys_expired", {{"count", n}});
      } catch (const std::exception& e) {
        log.Write("warning", {{"description", std::string("expired keys were not deleted: ") + e.what()}});
      }
      lock.lock();
      wake_.wait_for(lock, interval_, [this] { return stopping_; });
    }
  }

  const std::chrono::seconds interval_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;  // protected by mutex_
  std::thread thread_;     // last: it starts running in the constructor
};

// Ends the service on SIGINT or SIGTERM. The signals are blocked in every thread and
// taken here, so no request thread is interrupted.
class StopOnSignal {
 public:
  explicit StopOnSignal(mom_service::HttpService& http) {
    sigemptyset(&signals_);
    sigaddset(&signals_, SIGINT);
    sigaddset(&signals_, SIGTERM);
    sigaddset(&signals_, SIGUSR1);  // from the destructor: the service ended by itself
    pthread_sigmask(SIG_BLOCK, &signals_, nullptr);
    thread_ = std::thread([this, &http] {
      int signal = 0;
      sigwait(&signals_, &signal);
      if (signal == SIGUSR1) return;
      // A signal that comes while the service is still starting stops it once it runs.
      while (!finished_ && !http.IsRunning()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      if (!finished_) http.Stop();
    });
  }
  ~StopOnSignal() {
    finished_ = true;
    pthread_kill(thread_.native_handle(), SIGUSR1);
    thread_.join();
  }

 private:
  sigset_t signals_;
  std::atomic<bool> finished_{false};
  std::thread thread_;
};

}  // namespace

int RunServe(const Words& words, std::ostream& out, std::ostream& err) {
  (void)out;
  (void)err;
  mom_service::ServeOptions options = mom_service::ParseServeOptions(words);
  std::optional<std::string> token;
  if (!options.token_file.empty()) token = mom_service::ReadBearerToken(options.token_file);
  DatabaseTarget target = ExistingDatabase(options.db);
  mom_service::RequestLog log(options.log_file);
  // A caller that goes away before its answer must not end the service.
  ::signal(SIGPIPE, SIG_IGN);

  mom_service::ServiceSettings settings;
  settings.connection_string = target.connection_string;
  settings.user = options.user;
  settings.accounting_set = options.accounting_set;
  settings.key_ttl_seconds = options.key_ttl_seconds;
  settings.max_idle_connections = static_cast<size_t>(options.threads);
  mom_service::CallService calls(settings);

  mom_service::HttpSettings http_settings;
  http_settings.listen = options.listen;
  http_settings.bearer_token = token;
  http_settings.max_body_bytes = static_cast<size_t>(options.max_body_bytes);
  http_settings.threads = options.threads;
  mom_service::HttpService http(calls, http_settings, log);
  mom_service::ListenAddress bound = http.Bind();
  if (struct stat st {}; token && ::stat(options.token_file.c_str(), &st) == 0 && (st.st_mode & 077))
    log.Write("warning", {{"description", "the token file " + options.token_file +
                                              " can be read by other users than its owner (chmod 600 it)"}});
  if (!bound.IsLoopback())
    log.Write("warning", {{"description", "listening beyond loopback without TLS: put a TLS proxy in front of " +
                                              bound.ToString()}});

  bool served = false;
  {
    StopOnSignal stop(http);
    KeySweeper sweeper(calls, log, options.key_ttl_seconds);
    log.Write("listening", {{"address", bound.ToString()},
                            {"port", bound.port},
                            {"threads", options.threads},
                            {"token", token.has_value()},
                            {"key_ttl_seconds", options.key_ttl_seconds}});
    served = http.Run();
  }
  log.Write("stopped", {{"address", bound.ToString()}});
  return served ? kExitOk : kExitFailure;
}

}  // namespace mom_console
