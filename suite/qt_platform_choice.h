#pragma once
// Which Qt platform plugin a host's first window may start with. Qt ends the process
// (qFatal) when its plugin cannot start, for instance when the X server named by
// DISPLAY does not answer; the choice is made here first, so that a window that
// cannot be shown becomes an error of the call instead.

#include <chrono>
#include <string>
#include <vector>

namespace suite {

// What the choice depends on: the variables as the process has them (empty when
// unset), and where platform plugins are looked for.
struct QtPlatformEnvironment {
  std::string qpa_platform;  // QT_QPA_PLATFORM: "name[:options]", alternatives joined by ';'
  std::string display;       // DISPLAY
  std::string wayland_display;
  std::string runtime_dir;  // XDG_RUNTIME_DIR, where a Wayland socket named by a bare name lives
  std::vector<std::string> plugin_dirs;  // folders holding libq<name>.so
  std::chrono::milliseconds answer_timeout{3000};
};

// The plugin to start ("xcb", "offscreen", ...) and, for QApplication's -platform
// argument, its name with the options given; or, when none can start, `error` holds
// a Chinese description of why.
struct QtPlatformChoice {
  std::string name;
  std::string argument;
  std::string error;
};

// The variables of this process and Qt's plugin folders.
QtPlatformEnvironment CurrentQtPlatformEnvironment();

// Tries the alternatives in order; an X display must accept a connection within the
// timeout. Never aborts and never waits much longer than the timeout.
QtPlatformChoice ChooseQtPlatform(const QtPlatformEnvironment& env);

// Whether an X server at `display` accepts a client within `timeout`; `why` says what
// failed. A server that takes the connection and never answers counts as none: the
// attempt is left to finish on its own thread.
bool XDisplayAnswers(const std::string& display, std::chrono::milliseconds timeout, std::string& why);

}  // namespace suite
