#pragma once
// Windows of the suite's in-process components need a Qt application object in the
// host. A console host has none: the first window creates it.

#include <string>

namespace suite {

// Makes sure a QApplication exists, with Qt's own texts (menus, calendar, standard
// buttons) in Chinese. Raises com::Error (kErrAutomation) with a Chinese description
// when no platform can start: no display, an X display that does not answer, a
// platform plugin that is missing or cannot start. The host process lives on.
void EnsureGuiApplication();

// Whether the application's windows appear on a screen a user looks at (false for the
// offscreen and minimal platforms). Needs the application.
bool PlatformShowsWindows();

// Installs Qt's zh_CN translation into the application, once, unless the host's
// application already translates Qt's texts. True when Qt's texts are Chinese after.
bool InstallQtChineseTranslation();

}  // namespace suite
