// Qt first: the X11 headers define macros (Bool, Status) that clash with it.
#include <QEvent>
#include <QGuiApplication>
#include <QObject>

#include "runner/window_hints.h"

// clang-format off
#include <X11/Xlib.h>
#include <X11/Xatom.h>
// clang-format on

namespace runner {
namespace {

// Before the window is mapped its _NET_WM_STATE property carries the states
// (Qt keeps states it does not set itself); once it is mapped, the window
// manager takes them from a client message to the root window.
void ApplySkipStates(QWidget& window) {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11 || !x11->display()) return;
  Display* display = x11->display();
  const Window id = static_cast<Window>(window.winId());
  const Atom netWmState = XInternAtom(display, "_NET_WM_STATE", False);
  Atom states[] = {XInternAtom(display, "_NET_WM_STATE_SKIP_TASKBAR", False),
                   XInternAtom(display, "_NET_WM_STATE_SKIP_PAGER", False)};
  XChangeProperty(display, id, netWmState, XA_ATOM, 32, PropModeAppend,
                  reinterpret_cast<unsigned char*>(states), 2);
  XEvent event = {};
  event.xclient.type = ClientMessage;
  event.xclient.window = id;
  event.xclient.message_type = netWmState;
  event.xclient.format = 32;
  event.xclient.data.l[0] = 1;  // add
  event.xclient.data.l[1] = static_cast<long>(states[0]);
  event.xclient.data.l[2] = static_cast<long>(states[1]);
  event.xclient.data.l[3] = 1;  // from an application
  XSendEvent(display, DefaultRootWindow(display), False,
             SubstructureRedirectMask | SubstructureNotifyMask, &event);
  XFlush(display);
}

class SkipStatesKeeper : public QObject {
 public:
  explicit SkipStatesKeeper(QWidget& window) : QObject(&window), window_(window) {
    window.installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::WinIdChange || event->type() == QEvent::Show)
      ApplySkipStates(window_);
    return false;
  }

 private:
  QWidget& window_;
};

}  // namespace

void KeepOutOfTaskbar(QWidget& window) {
  new SkipStatesKeeper(window);  // owned by the window
  ApplySkipStates(window);
}

}  // namespace runner
