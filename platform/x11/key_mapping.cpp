#include "platform/x11/key_mapping.h"

#include <X11/XF86keysym.h>
#include <X11/keysym.h>

#include <array>

namespace platform::x11 {
namespace {

struct KeysymKey {
  Keysym keysym;
  VirtualKey key;
};

// Keys other than letters, digits and function keys. Where several keysyms
// give one virtual key, the first is the one a hot key grabs.
constexpr std::array kTable = {
    KeysymKey{XK_BackSpace, vk::kBack},
    KeysymKey{XK_Tab, vk::kTab},
    KeysymKey{XK_ISO_Left_Tab, vk::kTab},
    KeysymKey{XK_Return, vk::kReturn},
    KeysymKey{XK_KP_Enter, vk::kReturn},
    KeysymKey{XK_Pause, vk::kPause},
    KeysymKey{XK_Caps_Lock, vk::kCapital},
    KeysymKey{XK_Escape, vk::kEscape},
    KeysymKey{XK_space, vk::kSpace},
    KeysymKey{XK_Prior, vk::kPrior},
    KeysymKey{XK_KP_Prior, vk::kPrior},
    KeysymKey{XK_Next, vk::kNext},
    KeysymKey{XK_KP_Next, vk::kNext},
    KeysymKey{XK_End, vk::kEnd},
    KeysymKey{XK_KP_End, vk::kEnd},
    KeysymKey{XK_Home, vk::kHome},
    KeysymKey{XK_KP_Home, vk::kHome},
    KeysymKey{XK_Left, vk::kLeft},
    KeysymKey{XK_KP_Left, vk::kLeft},
    KeysymKey{XK_Up, vk::kUp},
    KeysymKey{XK_KP_Up, vk::kUp},
    KeysymKey{XK_Right, vk::kRight},
    KeysymKey{XK_KP_Right, vk::kRight},
    KeysymKey{XK_Down, vk::kDown},
    KeysymKey{XK_KP_Down, vk::kDown},
    KeysymKey{XK_Print, vk::kSnapshot},
    KeysymKey{XK_Insert, vk::kInsert},
    KeysymKey{XK_KP_Insert, vk::kInsert},
    KeysymKey{XK_Delete, vk::kDelete},
    KeysymKey{XK_KP_Delete, vk::kDelete},
    KeysymKey{XK_Super_L, vk::kLWin},
    KeysymKey{XK_Super_R, vk::kRWin},
    KeysymKey{XK_Menu, vk::kApps},
    KeysymKey{XK_KP_Multiply, vk::kMultiply},
    KeysymKey{XK_KP_Add, vk::kAdd},
    KeysymKey{XK_KP_Subtract, vk::kSubtract},
    KeysymKey{XK_KP_Decimal, vk::kDecimal},
    KeysymKey{XK_KP_Divide, vk::kDivide},
    KeysymKey{XK_Num_Lock, vk::kNumLock},
    KeysymKey{XK_Scroll_Lock, vk::kScroll},
    KeysymKey{XK_semicolon, vk::kOem1},
    KeysymKey{XK_equal, vk::kOemPlus},
    KeysymKey{XK_comma, vk::kOemComma},
    KeysymKey{XK_minus, vk::kOemMinus},
    KeysymKey{XK_period, vk::kOemPeriod},
    KeysymKey{XK_slash, vk::kOem2},
    KeysymKey{XK_grave, vk::kOem3},
    KeysymKey{XK_bracketleft, vk::kOem4},
    KeysymKey{XK_backslash, vk::kOem5},
    KeysymKey{XK_bracketright, vk::kOem6},
    KeysymKey{XK_apostrophe, vk::kOem7},
    KeysymKey{XK_less, vk::kOem102},
    KeysymKey{XF86XK_AudioMute, vk::kVolumeMute},
    KeysymKey{XF86XK_AudioLowerVolume, vk::kVolumeDown},
    KeysymKey{XF86XK_AudioRaiseVolume, vk::kVolumeUp},
    KeysymKey{XF86XK_AudioNext, vk::kMediaNext},
    KeysymKey{XF86XK_AudioPrev, vk::kMediaPrev},
    KeysymKey{XF86XK_AudioStop, vk::kMediaStop},
    KeysymKey{XF86XK_AudioPlay, vk::kMediaPlayPause},
};

struct ModifierKey {
  Keysym keysym;
  VirtualKey either;
  VirtualKey side;
};

// Keys that count both as the modifier and as its left or right key.
constexpr std::array kModifierTable = {
    ModifierKey{XK_Shift_L, vk::kShift, vk::kLShift},
    ModifierKey{XK_Shift_R, vk::kShift, vk::kRShift},
    ModifierKey{XK_Control_L, vk::kControl, vk::kLControl},
    ModifierKey{XK_Control_R, vk::kControl, vk::kRControl},
    ModifierKey{XK_Alt_L, vk::kMenu, vk::kLMenu},
    ModifierKey{XK_Meta_L, vk::kMenu, vk::kLMenu},
    ModifierKey{XK_Alt_R, vk::kMenu, vk::kRMenu},
    ModifierKey{XK_ISO_Level3_Shift, vk::kMenu, vk::kRMenu},
};

}  // namespace

std::vector<VirtualKey> VirtualKeysOfKeysym(Keysym keysym) {
  if (keysym >= XK_a && keysym <= XK_z) return {static_cast<VirtualKey>(vk::kA + keysym - XK_a)};
  if (keysym >= XK_A && keysym <= XK_Z) return {static_cast<VirtualKey>(vk::kA + keysym - XK_A)};
  if (keysym >= XK_0 && keysym <= XK_9) return {static_cast<VirtualKey>(vk::k0 + keysym - XK_0)};
  if (keysym >= XK_KP_0 && keysym <= XK_KP_9)
    return {static_cast<VirtualKey>(vk::kNumpad0 + keysym - XK_KP_0)};
  if (keysym >= XK_F1 && keysym <= XK_F24)
    return {static_cast<VirtualKey>(vk::kF1 + keysym - XK_F1)};
  for (const ModifierKey& modifier : kModifierTable) {
    if (modifier.keysym == keysym) return {modifier.either, modifier.side};
  }
  for (const KeysymKey& entry : kTable) {
    if (entry.keysym == keysym) return {entry.key};
  }
  return {};
}

Keysym KeysymOfVirtualKey(VirtualKey key) {
  if (key >= vk::kA && key < vk::kA + 26) return XK_a + (key - vk::kA);
  if (key >= vk::k0 && key < vk::k0 + 10) return XK_0 + (key - vk::k0);
  if (key >= vk::kNumpad0 && key < vk::kNumpad0 + 10) return XK_KP_0 + (key - vk::kNumpad0);
  if (key >= vk::kF1 && key <= vk::kF24) return XK_F1 + (key - vk::kF1);
  for (const ModifierKey& modifier : kModifierTable) {
    if (modifier.either == key || modifier.side == key) return modifier.keysym;
  }
  for (const KeysymKey& entry : kTable) {
    if (entry.key == key) return entry.keysym;
  }
  return 0;
}

}  // namespace platform::x11
