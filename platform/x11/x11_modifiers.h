#pragma once
// Which X modifier bit (Mod1..Mod5) a modifier key such as Num_Lock or Alt_L
// sets on this server's keyboard.

#include <cstdint>

#include "platform/x11/key_mapping.h"

struct _XDisplay;

namespace platform::x11 {

// The modifier mask bit of `keysym`, or `fallback` when no modifier has it.
std::uint16_t ModifierMaskOf(_XDisplay* display, Keysym keysym, std::uint16_t fallback);

}  // namespace platform::x11
