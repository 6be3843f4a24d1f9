#include "suite/qt_host.h"

#include <QApplication>
#include <cstdlib>

#include "platform/com/error.h"

namespace suite {

namespace {

bool HasDisplay() {
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return false;
}

}  // namespace

void EnsureGuiApplication() {
  if (QCoreApplication::instance()) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
      throw com::Error(com::kErrAutomation, "无法显示窗口: the host's Qt application has no widgets");
    return;
  }
  if (!HasDisplay())
    throw com::Error(com::kErrAutomation,
                     "无法显示窗口: no display is available (set DISPLAY, or QT_QPA_PLATFORM=offscreen)");
  // Lives until the process ends: Qt must not be torn down while a host may show
  // another window, and the arguments must outlive the application object.
  static int argc = 1;
  static char name[] = "mom";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  (void)app;
}

}  // namespace suite
