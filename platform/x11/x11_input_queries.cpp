#include "platform/x11/x11_input_queries.h"

// Qt before Xlib: Xlib's macros (None, Bool, ...) would clash with Qt's names.
#include <QSocketNotifier>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include "platform/x11/key_mapping.h"

namespace platform {
namespace {

// Pointer buttons as virtual keys; 4 to 7 are the wheel and do not count.
VirtualKey KeyOfButton(int button) {
  switch (button) {
    case 1:
      return vk::kLButton;
    case 2:
      return vk::kMButton;
    case 3:
      return vk::kRButton;
    case 8:
      return vk::kXButton1;
    case 9:
      return vk::kXButton2;
    default:
      return 0;
  }
}

struct PointerState {
  Point position;
  unsigned int buttons = 0;
};

bool QueryPointer(Display* display, PointerState& state) {
  Window root = 0;
  Window child = 0;
  int windowX = 0;
  int windowY = 0;
  return XQueryPointer(display, DefaultRootWindow(display), &root, &child, &state.position.x,
                       &state.position.y, &windowX, &windowY, &state.buttons);
}

}  // namespace

X11InputQueries::X11InputQueries() {
  display_ = XOpenDisplay(nullptr);
  if (display_ == nullptr) return;
  LoadKeyboardMap();

  int event = 0;
  int error = 0;
  int major = 2;
  int minor = 2;
  if (XQueryExtension(display_, "XInputExtension", &xinputOpcode_, &event, &error) &&
      XIQueryVersion(display_, &major, &minor) == Success) {
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XIEventMask mask{XIAllMasterDevices, sizeof bits, bits};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawButtonPress);
    XISelectEvents(display_, DefaultRootWindow(display_), &mask, 1);
  } else {
    xinputOpcode_ = -1;
  }
  XFlush(display_);
  notifier_ = std::make_unique<QSocketNotifier>(ConnectionNumber(display_), QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { ReadEvents(); });
}

X11InputQueries::~X11InputQueries() {
  notifier_.reset();
  if (display_) XCloseDisplay(display_);
}

Point X11InputQueries::CursorPos() {
  PointerState pointer;
  if (display_ == nullptr || !QueryPointer(display_, pointer)) return {};
  return pointer.position;
}

int X11InputQueries::KeyState(VirtualKey key) {
  if (display_ == nullptr || key < 0 || key > 255) return 0;
  ReadEvents();
  const int state = (HeldNow(key) ? kKeyDown : 0) | (pressedSince_[key] ? kKeyPressedSince : 0);
  pressedSince_[key] = false;
  return state;
}

bool X11InputQueries::HeldNow(VirtualKey key) {
  RefreshHeld();
  if (key == vk::kLButton || key == vk::kMButton || key == vk::kRButton) {
    const unsigned int mask = key == vk::kLButton   ? Button1Mask
                              : key == vk::kMButton ? Button2Mask
                                                    : Button3Mask;
    return (buttons_ & mask) != 0;
  }
  for (int keycode : keycodesOfKey_[key]) {
    if (keymap_[keycode / 8] & (1 << (keycode % 8))) return true;
  }
  return false;
}

void X11InputQueries::RefreshHeld() {
  const auto now = std::chrono::steady_clock::now();
  if (now - heldAt_ < std::chrono::milliseconds(5)) return;
  heldAt_ = now;
  PointerState pointer;
  buttons_ = QueryPointer(display_, pointer) ? pointer.buttons : 0;
  XQueryKeymap(display_, keymap_.data());
}

void X11InputQueries::ReadEvents() {
  while (XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    if (event.type == MappingNotify) {
      XRefreshKeyboardMapping(&event.xmapping);
      LoadKeyboardMap();
      continue;
    }
    if (event.type != GenericEvent || event.xcookie.extension != xinputOpcode_ ||
        !XGetEventData(display_, &event.xcookie))
      continue;
    const auto* raw = static_cast<const XIRawEvent*>(event.xcookie.data);
    if (event.xcookie.evtype == XI_RawKeyPress && raw->detail >= 0 && raw->detail < 256) {
      for (VirtualKey key : keysOfKeycode_[raw->detail]) pressedSince_[key] = true;
    } else if (event.xcookie.evtype == XI_RawButtonPress) {
      if (const VirtualKey key = KeyOfButton(raw->detail)) pressedSince_[key] = true;
    }
    XFreeEventData(display_, &event.xcookie);
  }
}

void X11InputQueries::LoadKeyboardMap() {
  for (auto& keys : keysOfKeycode_) keys.clear();
  for (auto& keycodes : keycodesOfKey_) keycodes.clear();
  int minKeycode = 0;
  int maxKeycode = 0;
  XDisplayKeycodes(display_, &minKeycode, &maxKeycode);
  for (int keycode = minKeycode; keycode <= maxKeycode && keycode < 256; ++keycode) {
    const KeySym keysym = XkbKeycodeToKeysym(display_, static_cast<KeyCode>(keycode), 0, 0);
    keysOfKeycode_[keycode] = x11::VirtualKeysOfKeysym(keysym);
    for (VirtualKey key : keysOfKeycode_[keycode]) keycodesOfKey_[key].push_back(keycode);
  }
}

}  // namespace platform
