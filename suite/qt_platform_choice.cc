#include "suite/qt_platform_choice.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QLibraryInfo>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

namespace suite {

namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(separator, start);
    if (end == std::string::npos) end = text.size();
    if (end > start) parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

bool PluginExists(const std::string& name, const std::vector<std::string>& dirs) {
  std::error_code ec;
  for (const std::string& dir : dirs)
    if (std::filesystem::exists(std::filesystem::path(dir) / ("libq" + name + ".so"), ec)) return true;
  return false;
}

bool WaylandSocketAnswers(const QtPlatformEnvironment& env) {
  std::string path = env.wayland_display;
  if (path.empty()) return false;
  if (path[0] != '/') {
    if (env.runtime_dir.empty()) return false;
    path = env.runtime_dir + "/" + path;
  }
  sockaddr_un address{};
  if (path.size() >= sizeof(address.sun_path)) return false;
  address.sun_family = AF_UNIX;
  path.copy(address.sun_path, path.size());
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
  close(fd);
  return ok;
}

// The outcome of one connection attempt, shared with its thread, which may outlive
// the wait for it.
struct Attempt {
  std::mutex mutex;
  std::condition_variable done_cv;
  bool done = false;
  int error = 0;
};

}  // namespace

QtPlatformEnvironment CurrentQtPlatformEnvironment() {
  QtPlatformEnvironment env;
  env.qpa_platform = Env("QT_QPA_PLATFORM");
  env.display = Env("DISPLAY");
  env.wayland_display = Env("WAYLAND_DISPLAY");
  env.runtime_dir = Env("XDG_RUNTIME_DIR");
  // Where Qt itself looks, in its order.
  if (std::string dir = Env("QT_QPA_PLATFORM_PLUGIN_PATH"); !dir.empty()) env.plugin_dirs.push_back(dir);
  for (const std::string& dir : Split(Env("QT_PLUGIN_PATH"), ':')) env.plugin_dirs.push_back(dir + "/platforms");
  env.plugin_dirs.push_back(QLibraryInfo::path(QLibraryInfo::PluginsPath).toStdString() + "/platforms");
  return env;
}

bool XDisplayAnswers(const std::string& display, std::chrono::milliseconds timeout, std::string& why) {
  if (display.empty()) {
    why = "没有设置 DISPLAY";
    return false;
  }
  auto attempt = std::make_shared<Attempt>();
  std::thread([attempt, display] {
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    int error = xcb_connection_has_error(connection);
    xcb_disconnect(connection);
    std::lock_guard lock(attempt->mutex);
    attempt->done = true;
    attempt->error = error;
    attempt->done_cv.notify_all();
  }).detach();
  std::unique_lock lock(attempt->mutex);
  if (!attempt->done_cv.wait_for(lock, timeout, [&] { return attempt->done; })) {
    why = "显示器“" + display + "”在 " + std::to_string(timeout.count()) + " 毫秒内没有应答";
    return false;
  }
  switch (attempt->error) {
    case 0: return true;
    case XCB_CONN_CLOSED_PARSE_ERR: why = "DISPLAY 的值“" + display + "”不是显示器的名字"; break;
    case XCB_CONN_CLOSED_INVALID_SCREEN: why = "显示器“" + display + "”没有这个屏幕"; break;
    default: why = "连接不上显示器“" + display + "”"; break;
  }
  return false;
}

QtPlatformChoice ChooseQtPlatform(const QtPlatformEnvironment& env) {
  std::vector<std::string> alternatives = Split(env.qpa_platform, ';');
  if (alternatives.empty()) {
    // Qt's own default on this system: X, or Wayland where only that is there.
    if (!env.display.empty())
      alternatives.push_back("xcb");
    else if (!env.wayland_display.empty())
      alternatives.push_back("wayland");
  }
  QtPlatformChoice choice;
  std::string reasons;
  auto refuse = [&reasons](const std::string& why) { reasons += (reasons.empty() ? "" : "；") + why; };
  for (const std::string& alternative : alternatives) {
    std::string name = alternative.substr(0, alternative.find(':'));
    if (!PluginExists(name, env.plugin_dirs)) {
      refuse("找不到图形平台插件“" + name + "”");
      continue;
    }
    std::string why;
    if (name == "xcb") {
      if (!XDisplayAnswers(env.display, env.answer_timeout, why)) {
        refuse(why);
        continue;
      }
    } else if (name == "wayland") {
      if (!WaylandSocketAnswers(env)) {
        refuse("连接不上 Wayland 显示器“" + env.wayland_display + "”");
        continue;
      }
    } else if (name != "offscreen" && name != "minimal" && name != "vnc") {
      // Plugins that need hardware end the process when they cannot start.
      refuse("图形平台“" + name + "”不能在这里使用");
      continue;
    }
    choice.name = name;
    choice.argument = alternative;
    return choice;
  }
  if (alternatives.empty()) refuse("没有可用的显示器");
  choice.error = "无法显示窗口：" + reasons +
                 "。请让 DISPLAY 指向可用的 X 显示器，或以 QT_QPA_PLATFORM=offscreen 运行（窗口不显示）。";
  return choice;
}

}  // namespace suite
