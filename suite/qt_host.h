#pragma once
// Windows of the suite's in-process components need a Qt application object in the
// host. A console host has none: the first window creates it.

namespace suite {

// Makes sure a QApplication exists. Raises com::Error (kErrAutomation) with a clear
// text when there is no display to show windows on (no platform plugin chosen through
// QT_QPA_PLATFORM and neither DISPLAY nor WAYLAND_DISPLAY set), instead of letting Qt
// abort the process.
void EnsureGuiApplication();

}  // namespace suite
