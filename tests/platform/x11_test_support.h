#pragma once
// Helpers for the tests on a real X server: commands such as xdotool, waiting
// while Qt handles its events, and a second X client that holds keys and
// windows of its own.

// Qt before Xlib: Xlib's macros (Status, None, ...) break Qt's headers.
#include <QApplication>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "tests/support/test_support.h"

namespace x11_test {

inline int RunCommand(const std::string& command) {
  return std::system(command.c_str());
}

// Waits for `done` while the application handles its events.
inline bool PumpUntil(const std::function<bool()>& done) {
  return testing_support::WaitUntil([&] {
    QApplication::processEvents();
    return done();
  });
}

// Another program on the same display, through its own connection.
class OtherClient {
 public:
  OtherClient() : display_(XOpenDisplay(nullptr)) {}
  ~OtherClient() {
    if (display_) XCloseDisplay(display_);
  }
  OtherClient(const OtherClient&) = delete;
  OtherClient& operator=(const OtherClient&) = delete;

  Display* display() const { return display_; }

  // A mapped window of this client; `desktop` marks it as the desktop.
  Window MapWindow(int x, int y, int width, int height, bool desktop = false) {
    const Window window = XCreateSimpleWindow(display_, DefaultRootWindow(display_), x, y, width,
                                              height, 0, 0, 0xffffff);
    if (desktop) {
      const Atom type = XInternAtom(display_, "_NET_WM_WINDOW_TYPE", False);
      const Atom desktopType = XInternAtom(display_, "_NET_WM_WINDOW_TYPE_DESKTOP", False);
      XChangeProperty(display_, window, type, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(&desktopType), 1);
    }
    XMapWindow(display_, window);
    XSync(display_, False);
    return window;
  }

  // Grabs the key on the root window, as a program holding a hot key does;
  // false when the server refuses.
  bool GrabKey(KeySym keysym, unsigned int modifiers) {
    failed_ = false;
    const auto previous = XSetErrorHandler(&OtherClient::RecordError);
    XGrabKey(display_, XKeysymToKeycode(display_, keysym), modifiers, DefaultRootWindow(display_),
             False, GrabModeAsync, GrabModeAsync);
    XSync(display_, False);
    XSetErrorHandler(previous);
    return !failed_;
  }
  void UngrabKey(KeySym keysym, unsigned int modifiers) {
    XUngrabKey(display_, XKeysymToKeycode(display_, keysym), modifiers,
               DefaultRootWindow(display_));
    XSync(display_, False);
  }
  // Whether the key is free: grabbed and released again at once.
  bool CanGrab(KeySym keysym, unsigned int modifiers) {
    if (!GrabKey(keysym, modifiers)) return false;
    UngrabKey(keysym, modifiers);
    return true;
  }

  unsigned int ModifierState() {
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int mask = 0;
    XQueryPointer(display_, DefaultRootWindow(display_), &root, &child, &rootX, &rootY, &x, &y,
                  &mask);
    return mask;
  }

 private:
  static int RecordError(Display*, XErrorEvent*) {
    failed_ = true;
    return 0;
  }
  static inline bool failed_ = false;

  Display* display_;
};

}  // namespace x11_test
