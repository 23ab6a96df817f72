#pragma once
// Between X keysyms (the symbol a key produces without modifiers) and the
// agent's virtual-key numbers. Pure tables: no display needed.

#include <vector>

#include "platform/virtual_keys.h"

namespace platform::x11 {

using Keysym = unsigned long;

// The virtual keys a key with this keysym counts as: none, one, or for the
// modifier keys two (Shift_L is both vk::kShift and vk::kLShift).
std::vector<VirtualKey> VirtualKeysOfKeysym(Keysym keysym);
// The keysym to look for when a virtual key must be found on the keyboard
// (for a hot key); 0 when the key has none.
Keysym KeysymOfVirtualKey(VirtualKey key);

}  // namespace platform::x11
