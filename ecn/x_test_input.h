#pragma once
// Input as a user gives it, sent through the X server (XTest) by a client of its own:
// the window gets the same events as from a keyboard and a mouse. Xlib's headers stay
// in the .cc: their macros clash with Qt's and gtest's names.

#include <QPoint>

class QWidget;
struct _XDisplay;

namespace mom::ecn {

class XTestInput {
 public:
  // Connects to the X server `display`.
  explicit XTestInput(const char* display);
  ~XTestInput();
  XTestInput(const XTestInput&) = delete;
  XTestInput& operator=(const XTestInput&) = delete;

  // Connected, and the server has the XTest extension.
  bool ok() const;
  // Left button at `at` of `w` (its centre by default), `clicks` times.
  void Click(QWidget* w, QPoint at, int clicks = 1);
  void Click(QWidget* w);
  // A key by its X name ("Return", "F2", "a"), with a modifier held ("Control_L").
  void Key(const char* key, const char* modifier = nullptr);
  // One key per character (letters and digits).
  void Type(const char* text);
  // What a window manager sends when the user clicks the close box of `window`.
  void CloseBox(QWidget* window);

 private:
  _XDisplay* display_;
};

}  // namespace mom::ecn
