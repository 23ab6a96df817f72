#include "platform/shortcut.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

struct TextCase {
  const char* text;
  Shortcut shortcut;
};

// Each text is the one written for its shortcut and reads back as it.
const TextCase kCanonical[] = {
    {"Esc", {vk::kEscape, 0}},
    {"Shift+Alt+F12", {vk::kF12, kModShift | kModAlt}},
    {"Shift+Alt+F9", {vk::kF1 + 8, kModShift | kModAlt}},
    {"Shift+Alt+F10", {vk::kF1 + 9, kModShift | kModAlt}},
    {"Shift+Ctrl+Alt+Del", {vk::kDelete, kModShift | kModControl | kModAlt}},
    {"Ctrl+BkSp", {vk::kBack, kModControl}},
    {"Alt+Tab", {vk::kTab, kModAlt}},
    {"Enter", {vk::kReturn, 0}},
    {"Ctrl+Space", {vk::kSpace, kModControl}},
    {"PgUp", {vk::kPrior, 0}},
    {"PgDn", {vk::kNext, 0}},
    {"End", {vk::kEnd, 0}},
    {"Home", {vk::kHome, 0}},
    {"Left", {vk::kLeft, 0}},
    {"Up", {vk::kUp, 0}},
    {"Right", {vk::kRight, 0}},
    {"Down", {vk::kDown, 0}},
    {"Shift+Ins", {vk::kInsert, kModShift}},
    {"F1", {vk::kF1, 0}},
    {"F7", {vk::kF7, 0}},
    {"F24", {vk::kF24, 0}},
    {"Ctrl+A", {'A', kModControl}},
    {"Z", {'Z', 0}},
    {"Alt+0", {'0', kModAlt}},
    {"9", {'9', 0}},
    {"Num 5", {vk::kNumpad0 + 5, 0}},
    {"Num +", {vk::kAdd, 0}},
    {"Ctrl+-", {vk::kOemMinus, kModControl}},
    {"Shift+=", {vk::kOemPlus, kModShift}},
    {"\\", {vk::kOem5, 0}},
};

TEST(ShortcutText, WritesAndReadsEachKnownShortcut) {
  for (const TextCase& c : kCanonical) {
    EXPECT_EQ(ShortcutToText(c.shortcut), c.text);
    EXPECT_EQ(TextToShortcut(c.text), c.shortcut) << c.text;
  }
}

TEST(ShortcutText, EveryNamedKeyRoundTripsWithEveryModifierSet) {
  int named = 0;
  for (VirtualKey key = 1; key <= 255; ++key) {
    if (KeyName(key).empty()) continue;
    ++named;
    for (Modifiers modifiers = 0; modifiers <= (kModShift | kModControl | kModAlt); ++modifiers) {
      const Shortcut shortcut{key, modifiers};
      EXPECT_EQ(TextToShortcut(ShortcutToText(shortcut)), shortcut) << ShortcutToText(shortcut);
    }
  }
  EXPECT_GT(named, 100);  // letters, digits, F1..F24, numpad, named keys
}

TEST(ShortcutText, ReadsModifiersInAnyOrderAndCase) {
  const Shortcut shiftAltF12{vk::kF12, kModShift | kModAlt};
  EXPECT_EQ(TextToShortcut("Alt+Shift+F12"), shiftAltF12);
  EXPECT_EQ(TextToShortcut("shift+ALT+f12"), shiftAltF12);
  EXPECT_EQ(TextToShortcut("esc"), (Shortcut{vk::kEscape, 0}));
  EXPECT_EQ(TextToShortcut("ctrl+a"), (Shortcut{'A', kModControl}));
}

TEST(ShortcutText, TextsThatNameNoKeyReadAsNoKey) {
  for (const char* text :
       {"", "\x01", "Shift+", "Ctrl+Alt+", "Shift+Alt+", "Escape", "F0", "F25", "Shift+Alt+Nothing",
        "Shift Alt F12", "+", "AA", " Esc", "Esc ", "Win+A"}) {
    EXPECT_TRUE(TextToShortcut(text).IsNone()) << '"' << text << '"';
    EXPECT_EQ(TextToShortcut(text).modifiers, 0u) << '"' << text << '"';
  }
}

TEST(ShortcutText, NoKeyAndUnnamedKeysWriteNoText) {
  EXPECT_EQ(ShortcutToText({}), "");
  EXPECT_EQ(ShortcutToText({0, kModShift | kModAlt}), "");
  EXPECT_EQ(ShortcutToText({0xFF, kModControl}), "");
  EXPECT_EQ(ShortcutToText({vk::kLButton, 0}), "");
}

}  // namespace
}  // namespace platform
