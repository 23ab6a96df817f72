#include "platform/shortcut.h"

#include <array>
#include <string>

#include "platform/ascii.h"

namespace platform {
namespace {

struct NamedKey {
  VirtualKey key;
  const char* name;
};

// Keys whose name is not simply their character or "F" + number.
constexpr std::array kNamedKeys = {
    NamedKey{vk::kBack, "BkSp"},
    NamedKey{vk::kTab, "Tab"},
    NamedKey{vk::kReturn, "Enter"},
    NamedKey{vk::kPause, "Pause"},
    NamedKey{vk::kCapital, "Caps Lock"},
    NamedKey{vk::kEscape, "Esc"},
    NamedKey{vk::kSpace, "Space"},
    NamedKey{vk::kPrior, "PgUp"},
    NamedKey{vk::kNext, "PgDn"},
    NamedKey{vk::kEnd, "End"},
    NamedKey{vk::kHome, "Home"},
    NamedKey{vk::kLeft, "Left"},
    NamedKey{vk::kUp, "Up"},
    NamedKey{vk::kRight, "Right"},
    NamedKey{vk::kDown, "Down"},
    NamedKey{vk::kSnapshot, "Print"},
    NamedKey{vk::kInsert, "Ins"},
    NamedKey{vk::kDelete, "Del"},
    NamedKey{vk::kApps, "Menu"},
    NamedKey{vk::kMultiply, "Num *"},
    NamedKey{vk::kAdd, "Num +"},
    NamedKey{vk::kSubtract, "Num -"},
    NamedKey{vk::kDecimal, "Num ."},
    NamedKey{vk::kDivide, "Num /"},
    NamedKey{vk::kNumLock, "Num Lock"},
    NamedKey{vk::kScroll, "Scroll Lock"},
    NamedKey{vk::kOem1, ";"},
    NamedKey{vk::kOemPlus, "="},
    NamedKey{vk::kOemComma, ","},
    NamedKey{vk::kOemMinus, "-"},
    NamedKey{vk::kOemPeriod, "."},
    NamedKey{vk::kOem2, "/"},
    NamedKey{vk::kOem3, "`"},
    NamedKey{vk::kOem4, "["},
    NamedKey{vk::kOem5, "\\"},
    NamedKey{vk::kOem6, "]"},
    NamedKey{vk::kOem7, "'"},
};

struct ModifierWord {
  Modifiers flag;
  std::string_view word;
};

// Written in this order.
constexpr std::array kModifierWords = {
    ModifierWord{kModShift, "Shift+"},
    ModifierWord{kModControl, "Ctrl+"},
    ModifierWord{kModAlt, "Alt+"},
};

}  // namespace

std::string KeyName(VirtualKey key) {
  if ((key >= vk::k0 && key <= vk::k0 + 9) || (key >= vk::kA && key <= vk::kA + 25))
    return std::string(1, static_cast<char>(key));
  if (key >= vk::kNumpad0 && key <= vk::kNumpad0 + 9)
    return "Num " + std::string(1, static_cast<char>('0' + key - vk::kNumpad0));
  if (key >= vk::kF1 && key <= vk::kF24) return "F" + std::to_string(key - vk::kF1 + 1);
  for (const NamedKey& named : kNamedKeys) {
    if (named.key == key) return named.name;
  }
  return {};
}

std::string ShortcutToText(Shortcut shortcut) {
  const std::string name = KeyName(shortcut.key);
  if (name.empty()) return {};
  std::string text;
  for (const ModifierWord& modifier : kModifierWords) {
    if (shortcut.modifiers & modifier.flag) text += modifier.word;
  }
  return text + name;
}

Shortcut TextToShortcut(std::string_view text) {
  Shortcut shortcut;
  for (bool found = true; found;) {
    found = false;
    for (const ModifierWord& modifier : kModifierWords) {
      if (text.size() > modifier.word.size() &&
          EqualIgnoringCase(text.substr(0, modifier.word.size()), modifier.word)) {
        shortcut.modifiers |= modifier.flag;
        text.remove_prefix(modifier.word.size());
        found = true;
      }
    }
  }
  for (VirtualKey key = 1; key <= 255; ++key) {
    const std::string name = KeyName(key);
    if (!name.empty() && EqualIgnoringCase(name, text)) {
      shortcut.key = key;
      return shortcut;
    }
  }
  return Shortcut{};
}

}  // namespace platform
