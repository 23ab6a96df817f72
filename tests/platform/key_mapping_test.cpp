#include "platform/x11/key_mapping.h"

#include <X11/XF86keysym.h>
#include <X11/keysym.h>
#include <gtest/gtest.h>

namespace platform::x11 {
namespace {

using Keys = std::vector<VirtualKey>;

struct KeysymCase {
  Keysym keysym;
  Keys keys;
};

TEST(KeyMapping, KeysymsGiveTheirVirtualKeys) {
  const KeysymCase cases[] = {
      {XK_F7, {vk::kF7}},
      {XK_Home, {vk::kHome}},
      {XK_KP_Home, {vk::kHome}},
      {XK_Escape, {vk::kEscape}},
      {XK_a, {'A'}},
      {XK_A, {'A'}},
      {XK_z, {'Z'}},
      {XK_0, {'0'}},
      {XK_9, {'9'}},
      {XK_KP_7, {vk::kNumpad0 + 7}},
      {XK_F1, {vk::kF1}},
      {XK_F12, {vk::kF12}},
      {XK_F24, {vk::kF24}},
      {XK_BackSpace, {vk::kBack}},
      {XK_Return, {vk::kReturn}},
      {XK_KP_Enter, {vk::kReturn}},
      {XK_space, {vk::kSpace}},
      {XK_Prior, {vk::kPrior}},
      {XK_Next, {vk::kNext}},
      {XK_Delete, {vk::kDelete}},
      {XK_Shift_L, {vk::kShift, vk::kLShift}},
      {XK_Shift_R, {vk::kShift, vk::kRShift}},
      {XK_Control_R, {vk::kControl, vk::kRControl}},
      {XK_Alt_L, {vk::kMenu, vk::kLMenu}},
      {XK_ISO_Level3_Shift, {vk::kMenu, vk::kRMenu}},
      {XK_semicolon, {vk::kOem1}},
      {XK_apostrophe, {vk::kOem7}},
      {XF86XK_AudioMute, {vk::kVolumeMute}},
      {0, {}},  // NoSymbol
      {XK_Pointer_Button1, {}},
      {XK_F25, {}},
  };
  for (const KeysymCase& c : cases) EXPECT_EQ(VirtualKeysOfKeysym(c.keysym), c.keys) << c.keysym;
}

TEST(KeyMapping, HotKeyKeysymsAreThePlainKeys) {
  EXPECT_EQ(KeysymOfVirtualKey(vk::kF7), Keysym{XK_F7});
  EXPECT_EQ(KeysymOfVirtualKey(vk::kHome), Keysym{XK_Home});
  EXPECT_EQ(KeysymOfVirtualKey(vk::kReturn), Keysym{XK_Return});
  EXPECT_EQ(KeysymOfVirtualKey('Q'), Keysym{XK_q});
  EXPECT_EQ(KeysymOfVirtualKey(vk::kShift), Keysym{XK_Shift_L});
  EXPECT_EQ(KeysymOfVirtualKey(vk::kRShift), Keysym{XK_Shift_R});
  EXPECT_EQ(KeysymOfVirtualKey(0), Keysym{0});
  EXPECT_EQ(KeysymOfVirtualKey(vk::kLButton), Keysym{0});
  EXPECT_EQ(KeysymOfVirtualKey(0xFF), Keysym{0});
}

TEST(KeyMapping, EveryVirtualKeyWithAKeysymMapsBackToItself) {
  for (VirtualKey key = 1; key <= 255; ++key) {
    const Keysym keysym = KeysymOfVirtualKey(key);
    if (keysym == 0) continue;
    const Keys keys = VirtualKeysOfKeysym(keysym);
    EXPECT_NE(std::find(keys.begin(), keys.end(), key), keys.end()) << key;
  }
}

}  // namespace
}  // namespace platform::x11
