#include "ecn/x_test_input.h"

#include <QWidget>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace mom::ecn {

XTestInput::XTestInput(const char* display) : display_(XOpenDisplay(display)) {}

XTestInput::~XTestInput() {
  if (display_) XCloseDisplay(display_);
}

bool XTestInput::ok() const {
  int event, error, major, minor;
  return display_ && XTestQueryExtension(display_, &event, &error, &major, &minor);
}

void XTestInput::Click(QWidget* w, QPoint at, int clicks) {
  QPoint global = w->mapToGlobal(at);
  XTestFakeMotionEvent(display_, -1, global.x(), global.y(), 0);
  for (int i = 0; i < clicks; ++i) {
    XTestFakeButtonEvent(display_, 1, True, 0);
    XTestFakeButtonEvent(display_, 1, False, 0);
  }
  XFlush(display_);
}

void XTestInput::Click(QWidget* w) { Click(w, w->rect().center()); }

void XTestInput::Key(const char* key, const char* modifier) {
  KeyCode held = modifier ? XKeysymToKeycode(display_, XStringToKeysym(modifier)) : 0;
  KeyCode code = XKeysymToKeycode(display_, XStringToKeysym(key));
  if (held) XTestFakeKeyEvent(display_, held, True, 0);
  XTestFakeKeyEvent(display_, code, True, 0);
  XTestFakeKeyEvent(display_, code, False, 0);
  if (held) XTestFakeKeyEvent(display_, held, False, 0);
  XFlush(display_);
}

void XTestInput::Type(const char* text) {
  for (const char* p = text; *p; ++p) {
    char name[2] = {*p, 0};
    Key(name);
  }
}

void XTestInput::CloseBox(QWidget* window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = static_cast<Window>(window->winId());
  event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display_, event.xclient.window, False, NoEventMask, &event);
  XFlush(display_);
}

}  // namespace mom::ecn
