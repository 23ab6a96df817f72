#include "platform/x11/x11_hot_keys.h"

// Qt before Xlib: Xlib's macros (None, Bool, ...) would clash with Qt's names.
#include <QtGui/qguiapplication_platform.h>
#include <QGuiApplication>

#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <xcb/xcb.h>

#include <array>
#include <cstdlib>

#include "platform/x11/key_mapping.h"
#include "platform/x11/x11_modifiers.h"

namespace platform {
namespace {

std::uint16_t XModifiersOf(Modifiers modifiers, std::uint16_t altMask) {
  std::uint16_t mask = 0;
  if (modifiers & kModShift) mask |= ShiftMask;
  if (modifiers & kModControl) mask |= ControlMask;
  if (modifiers & kModAlt) mask |= altMask;
  return mask;
}

}  // namespace

X11HotKeys::X11HotKeys(QObject* parent) : QObject(parent) {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (x11 == nullptr || x11->connection() == nullptr || x11->display() == nullptr) return;
  connection_ = x11->connection();
  display_ = x11->display();
  root_ = static_cast<std::uint32_t>(DefaultRootWindow(display_));
  numLockMask_ = x11::ModifierMaskOf(display_, XK_Num_Lock, Mod2Mask);
  altMask_ = x11::ModifierMaskOf(display_, XK_Alt_L, Mod1Mask);
  qGuiApp->installNativeEventFilter(this);
}

X11HotKeys::~X11HotKeys() {
  // Once the application is gone its connection is closed, and the grabs
  // went with it.
  if (connection_ == nullptr || qGuiApp == nullptr) return;
  qGuiApp->removeNativeEventFilter(this);
  for (const auto& [id, grab] : grabs_) UngrabAllLockStates(grab);
  xcb_flush(connection_);
}

bool X11HotKeys::Register(int id, VirtualKey key, Modifiers modifiers) {
  Unregister(id);
  if (connection_ == nullptr || qGuiApp == nullptr) return false;
  const x11::Keysym keysym = x11::KeysymOfVirtualKey(key);
  if (keysym == 0) return false;
  const KeyCode keycode = XKeysymToKeycode(display_, keysym);
  if (keycode == 0) return false;
  const Grab grab{keycode, XModifiersOf(modifiers, altMask_)};
  for (const auto& [otherId, held] : grabs_) {
    if (held.keycode == grab.keycode && held.modifiers == grab.modifiers) return false;
  }
  if (!GrabAllLockStates(grab)) return false;
  grabs_[id] = grab;
  return true;
}

void X11HotKeys::Unregister(int id) {
  const auto found = grabs_.find(id);
  if (found == grabs_.end()) return;
  if (qGuiApp) {
    UngrabAllLockStates(found->second);
    xcb_flush(connection_);
  }
  grabs_.erase(found);
}

// The server refuses a grab that another client holds (BadAccess). The
// checked requests bring that refusal back here instead of into the event
// stream, and a partial grab is taken back.
bool X11HotKeys::GrabAllLockStates(const Grab& grab) {
  const std::array<std::uint16_t, 4> lockStates = {
      0, XCB_MOD_MASK_LOCK, numLockMask_,
      static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | numLockMask_)};
  std::array<xcb_void_cookie_t, 4> cookies;
  for (std::size_t i = 0; i < lockStates.size(); ++i) {
    cookies[i] = xcb_grab_key_checked(connection_, 0, root_, grab.modifiers | lockStates[i],
                                      grab.keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
  }
  bool granted = true;
  for (const xcb_void_cookie_t& cookie : cookies) {
    if (xcb_generic_error_t* error = xcb_request_check(connection_, cookie)) {
      granted = false;
      std::free(error);
    }
  }
  if (!granted) {
    UngrabAllLockStates(grab);
    xcb_flush(connection_);
  }
  return granted;
}

// Ungrabbing only ever releases this client's own grabs.
void X11HotKeys::UngrabAllLockStates(const Grab& grab) {
  for (std::uint16_t lock : {std::uint16_t{0}, std::uint16_t{XCB_MOD_MASK_LOCK}, numLockMask_,
                             static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | numLockMask_)}) {
    xcb_ungrab_key(connection_, grab.keycode, root_, grab.modifiers | lock);
  }
}

bool X11HotKeys::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t") return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  if ((event->response_type & 0x7f) != XCB_KEY_PRESS) return false;
  const auto* press = static_cast<const xcb_key_press_event_t*>(message);
  if (press->event != root_) return false;
  const std::uint16_t relevant = ShiftMask | ControlMask | altMask_;
  for (const auto& [id, grab] : grabs_) {
    if (grab.keycode == press->detail && grab.modifiers == (press->state & relevant)) {
      // Reported from the event loop, not from inside Qt's event filtering.
      QMetaObject::invokeMethod(
          this,
          [this, id = id] {
            if (onHotKey) onHotKey(id);
          },
          Qt::QueuedConnection);
      return true;
    }
  }
  return false;
}

}  // namespace platform
