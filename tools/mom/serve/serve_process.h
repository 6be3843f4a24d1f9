#pragma once
// For tests of `mom serve` as a process: starts it with a private registry, waits for
// the "listening" line of its log and stops it with SIGTERM.

#include <fcntl.h>
#include <httplib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace mom_service_test {

class ServeProcess {
 public:
  // Runs `mom serve ARGS --log LOG` with MOM_REGISTRY=registry. Started() tells
  // whether it came to listen (within 60 s); exit_code() waits for it otherwise.
  ServeProcess(const std::string& registry, const std::string& log, std::vector<std::string> args) : log_(log) {
    std::vector<std::string> argv_text = {MOM_PROGRAM, "serve"};
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    argv_text.push_back("--log");
    argv_text.push_back(log);
    std::vector<char*> argv;
    for (std::string& a : argv_text) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> env_text = {"MOM_REGISTRY=" + registry};
    for (char** e = environ; *e; ++e)
      if (std::string(*e).rfind("MOM_REGISTRY=", 0) != 0) env_text.push_back(*e);
    std::vector<char*> env;
    for (std::string& e : env_text) env.push_back(e.data());
    env.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string err = log + ".stderr";
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (posix_spawn(&pid_, MOM_PROGRAM, &actions, nullptr, argv.data(), env.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    WaitUntilListening();
  }
  ~ServeProcess() { Stop(); }

  bool Started() const { return port_ > 0 || !address_.empty(); }
  int port() const { return port_; }
  const std::string& address() const { return address_; }

  // SIGTERM, then the exit code (-1 when it did not exit by itself).
  int Stop() {
    if (pid_ > 0 && !exit_code_) {
      ::kill(pid_, SIGTERM);
      Wait();
    }
    return exit_code_.value_or(-1);
  }
  // Waits for a process that ends by itself (one that refused to start).
  int exit_code() {
    Wait();
    return exit_code_.value_or(-1);
  }

  // Every JSON line of the log.
  std::vector<nlohmann::json> LogLines() const {
    std::vector<nlohmann::json> lines;
    std::ifstream in(log_);
    for (std::string line; std::getline(in, line);) lines.push_back(nlohmann::json::parse(line, nullptr, false));
    return lines;
  }
  std::string Stderr() const {
    std::ifstream in(log_ + ".stderr");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

 private:
  void Wait() {
    if (pid_ <= 0 || exit_code_) return;
    int status = 0;
    if (::waitpid(pid_, &status, 0) == pid_) exit_code_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  void WaitUntilListening() {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (pid_ > 0 && std::chrono::steady_clock::now() < deadline) {
      for (const nlohmann::json& line : LogLines())
        if (line.is_object() && line.value("event", "") == "listening") {
          port_ = line.value("port", 0);
          address_ = line.value("address", "");
          return;
        }
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        exit_code_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }

  std::string log_;
  pid_t pid_ = -1;
  int port_ = 0;
  std::string address_;
  std::optional<int> exit_code_;
};

}  // namespace mom_service_test
