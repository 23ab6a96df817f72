// The X11 desktop layer on a machine without an X display: every service
// answers "nothing" and nothing fails.

#include <gtest/gtest.h>

#include "common/desktop_utils.h"
#include "platform/x11/x11_desktop_queries.h"
#include "platform/x11/x11_hot_keys.h"
#include "platform/x11/x11_input_queries.h"
#include "test_app.h"
#include "tests/support/test_support.h"

namespace platform {
namespace {

TEST(WithoutDisplay, QueriesAnswerNothing) {
  testing_support::ScopedEnv noDisplay("DISPLAY", "");
  X11InputQueries input;
  EXPECT_EQ(input.CursorPos(), (Point{0, 0}));
  for (VirtualKey key = 0; key <= 255; ++key) EXPECT_EQ(input.KeyState(key), 0) << key;
  EXPECT_EQ(input.KeyState(-1), 0);
  EXPECT_EQ(input.KeyState(256), 0);
  EXPECT_FALSE(MaintenanceKeysDown(input));

  X11DesktopQueries desktop;
  EXPECT_EQ(desktop.ForegroundWindow(), 0u);
  EXPECT_TRUE(desktop.IsDesktopWindow(0));
  EXPECT_FALSE(desktop.WindowRect(0x400001).has_value());
  EXPECT_EQ(desktop.WindowAt(10, 10), 0u);
  desktop.BringToFront(0x400001);
  EXPECT_FALSE(FullScreenForeground(desktop));
}

TEST(WithoutDisplay, HotKeysRegisterNothing) {
  TestApp();  // offscreen platform: no X connection
  X11HotKeys hotKeys;
  int pressed = 0;
  hotKeys.onHotKey = [&](int) { ++pressed; };
  EXPECT_FALSE(hotKeys.Register(1, vk::kEscape, 0));
  EXPECT_FALSE(hotKeys.Register(2, vk::kF12, kModShift | kModAlt));
  hotKeys.Unregister(1);
  hotKeys.Unregister(9);
  EXPECT_EQ(pressed, 0);
}

}  // namespace
}  // namespace platform
