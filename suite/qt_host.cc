#include "suite/qt_host.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "platform/com/error.h"
#include "suite/qt_platform_choice.h"

namespace suite {

namespace {

// An untranslated Qt text: the host's application translates Qt when this changes.
QString ProbeText() { return QCoreApplication::translate("QPlatformTheme", "Cancel"); }

}  // namespace

bool InstallQtChineseTranslation() {
  static QTranslator* translator = nullptr;  // one per Qt application, which is one per process
  if (translator) return true;
  if (ProbeText() != QLatin1String("Cancel")) return false;  // the host chose its language
  auto* loaded = new QTranslator(QCoreApplication::instance());
  if (!loaded->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete loaded;
    return false;
  }
  QCoreApplication::installTranslator(loaded);
  translator = loaded;
  return true;
}

void EnsureGuiApplication() {
  if (QCoreApplication::instance()) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
      throw com::Error(com::kErrAutomation, "无法显示窗口：宿主程序的 Qt 应用对象不支持窗口");
    InstallQtChineseTranslation();
    return;
  }
  QtPlatformChoice choice = ChooseQtPlatform(CurrentQtPlatformEnvironment());
  if (!choice.error.empty()) throw com::Error(com::kErrAutomation, choice.error);
  // Lives until the process ends: Qt must not be torn down while a host may show
  // another window, and the arguments must outlive the application object. The
  // platform chosen is passed as an argument, as the environment is the host's.
  static std::string platform = choice.argument;
  static int argc = 3;
  static char name[] = "mom";
  static char option[] = "-platform";
  static char* argv[] = {name, option, platform.data(), nullptr};
  static QApplication* app = new QApplication(argc, argv);
  (void)app;
  InstallQtChineseTranslation();
}

bool PlatformShowsWindows() {
  QString platform = QGuiApplication::platformName();
  return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

}  // namespace suite
