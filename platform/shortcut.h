#pragma once
// Shortcut texts as the settings store them: zero or more of "Shift+",
// "Ctrl+", "Alt+" (written in that order) and a key name such as "Esc",
// "BkSp", "PgUp", "Ins", "F12", "A" or "7". Our own conversion, the same on
// every system and for every keyboard layout.

#include <string>
#include <string_view>

#include "platform/virtual_keys.h"

namespace platform {

struct Shortcut {
  VirtualKey key = 0;       // 0 = no key
  Modifiers modifiers = 0;  // kModShift | kModControl | kModAlt

  bool IsNone() const { return key == 0; }
  friend bool operator==(const Shortcut&, const Shortcut&) = default;
};

// The text of a shortcut; "" for no key or a key without a name.
std::string ShortcutToText(Shortcut shortcut);
// Reads a shortcut text. Modifier words may come in any order and any case;
// a text that names no key (empty, modifiers only, an unknown name, the
// one-character text of code 1) reads as no key: Shortcut{}.
Shortcut TextToShortcut(std::string_view text);
// The name of one key ("Esc", "F7", "A"); "" when it has none.
std::string KeyName(VirtualKey key);

}  // namespace platform
