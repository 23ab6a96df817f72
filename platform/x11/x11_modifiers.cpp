#include "platform/x11/x11_modifiers.h"

#include <X11/Xlib.h>

namespace platform::x11 {
namespace {

// Index 0..7 of the modifier that `keycode` belongs to, -1 for none.
int ModifierIndexOf(const XModifierKeymap& map, KeyCode keycode) {
  for (int modifier = 0; modifier < 8; ++modifier) {
    for (int i = 0; i < map.max_keypermod; ++i) {
      if (map.modifiermap[modifier * map.max_keypermod + i] == keycode) return modifier;
    }
  }
  return -1;
}

}  // namespace

std::uint16_t ModifierMaskOf(Display* display, Keysym keysym, std::uint16_t fallback) {
  const KeyCode keycode = XKeysymToKeycode(display, keysym);
  if (keycode == 0) return fallback;
  XModifierKeymap* map = XGetModifierMapping(display);
  if (map == nullptr) return fallback;
  const int index = ModifierIndexOf(*map, keycode);
  XFreeModifiermap(map);
  return index < 0 ? fallback : static_cast<std::uint16_t>(1u << index);
}

}  // namespace platform::x11
