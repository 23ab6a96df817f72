// Input queries on a real X server, with keys and buttons from xdotool.

#include "platform/x11/x11_input_queries.h"

#include <gtest/gtest.h>

#include "common/desktop_utils.h"
// Xlib last: its macros clash with names in the headers above.
#include "x11_test_support.h"

namespace platform {
namespace {

using testing_support::WaitUntil;
using x11_test::OtherClient;
using x11_test::RunCommand;

constexpr int kDown = InputQueries::kKeyDown;
constexpr int kPressed = InputQueries::kKeyPressedSince;

TEST(X11Input, CursorPositionFollowsThePointer) {
  X11InputQueries input;
  ASSERT_EQ(RunCommand("xdotool mousemove 321 234"), 0);
  EXPECT_TRUE(WaitUntil([&] { return input.CursorPos() == Point{321, 234}; }));
  ASSERT_EQ(RunCommand("xdotool mousemove 5 1000"), 0);
  EXPECT_TRUE(WaitUntil([&] { return input.CursorPos() == Point{5, 1000}; }));
}

TEST(X11Input, APressSinceThePreviousQueryCountsOnceForItsKey) {
  X11InputQueries input;
  ASSERT_EQ(RunCommand("xdotool key F7 a 5"), 0);
  for (VirtualKey key : {vk::kF7, VirtualKey{'A'}, VirtualKey{'5'}}) {
    EXPECT_TRUE(WaitUntil([&] { return (input.KeyState(key) & kPressed) != 0; })) << key;
    EXPECT_EQ(input.KeyState(key) & kPressed, 0) << key << ": counted twice";
  }
  EXPECT_EQ(input.KeyState(vk::kHome), 0);
}

TEST(X11Input, HeldKeysAreDownUntilReleasedAndMaintenanceKeysNeedBoth) {
  X11InputQueries input;
  ASSERT_EQ(RunCommand("xdotool keydown F7"), 0);
  ASSERT_TRUE(WaitUntil([&] { return (input.KeyState(vk::kF7) & kDown) != 0; }));
  EXPECT_FALSE(MaintenanceKeysDown(input));

  ASSERT_EQ(RunCommand("xdotool keydown Home"), 0);
  EXPECT_TRUE(WaitUntil([&] { return MaintenanceKeysDown(input); }));
  EXPECT_TRUE(MaintenanceKeysDown(input)) << "still held";
  EXPECT_NE(input.KeyState(vk::kHome) & kDown, 0);

  ASSERT_EQ(RunCommand("xdotool keyup F7 keyup Home"), 0);
  ASSERT_TRUE(WaitUntil([&] { return input.KeyState(vk::kF7) == 0; }));
  ASSERT_TRUE(WaitUntil([&] { return input.KeyState(vk::kHome) == 0; }));
  EXPECT_FALSE(MaintenanceKeysDown(input));
}

TEST(X11Input, ModifierKeysCountAsTheModifierAndTheirSide) {
  X11InputQueries input;
  ASSERT_EQ(RunCommand("xdotool keydown Shift_L"), 0);
  EXPECT_TRUE(WaitUntil([&] { return (input.KeyState(vk::kShift) & kDown) != 0; }));
  EXPECT_NE(input.KeyState(vk::kLShift) & kDown, 0);
  EXPECT_EQ(input.KeyState(vk::kRShift) & kDown, 0);
  ASSERT_EQ(RunCommand("xdotool keyup Shift_L"), 0);
  EXPECT_TRUE(WaitUntil([&] { return input.KeyState(vk::kShift) == 0; }));
}

TEST(X11Input, MouseButtonsCountAndTheWheelDoesNot) {
  OtherClient other;  // a window to click on, so the clicks reach no desktop menu
  other.MapWindow(0, 0, 300, 300);
  X11InputQueries input;
  ASSERT_EQ(RunCommand("xdotool mousemove 100 100 click 4 click 5 click 6 click 7 click 1"), 0);
  ASSERT_TRUE(WaitUntil([&] { return (input.KeyState(vk::kLButton) & kPressed) != 0; }));
  for (VirtualKey key = 0; key <= 255; ++key)
    EXPECT_EQ(input.KeyState(key), 0) << "key " << key << " after the wheel";

  ASSERT_EQ(RunCommand("xdotool mousedown 1"), 0);
  EXPECT_TRUE(WaitUntil([&] { return (input.KeyState(vk::kLButton) & kDown) != 0; }));
  ASSERT_EQ(RunCommand("xdotool mouseup 1 click 2"), 0);
  EXPECT_TRUE(WaitUntil([&] { return (input.KeyState(vk::kMButton) & kPressed) != 0; }));
  EXPECT_TRUE(WaitUntil([&] { return input.KeyState(vk::kLButton) == 0; }));
}

}  // namespace
}  // namespace platform
