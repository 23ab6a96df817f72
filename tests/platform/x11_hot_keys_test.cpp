// Global hot keys on a real X server, pressed with xdotool.

#include "platform/x11/x11_hot_keys.h"

#include <gtest/gtest.h>

#include <QString>
#include <algorithm>
#include <vector>

#include "test_app.h"
// Xlib last: its macros clash with names in the headers above.
#include "x11_test_support.h"

namespace platform {
namespace {

using x11_test::OtherClient;
using x11_test::PumpUntil;
using x11_test::RunCommand;

const KeySym kF9 = XK_F9;
const KeySym kF10 = XK_F10;
const KeySym kF11 = XK_F11;
const KeySym kF12 = XK_F12;
constexpr unsigned int kShiftAlt = ShiftMask | Mod1Mask;

std::vector<QString> qtWarnings;

class HotKeysTest : public ::testing::Test {
 protected:
  void SetUp() override {
    hotKeys_->onHotKey = [this](int id) { pressed_.push_back(id); };
    qtWarnings.clear();
    previousHandler_ =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
          qtWarnings.push_back(text);
        });
  }
  void TearDown() override { qInstallMessageHandler(previousHandler_); }

  bool Reported(int id) {
    return PumpUntil([&] { return std::count(pressed_.begin(), pressed_.end(), id) > 0; });
  }

  QApplication& app_ = TestApp();
  std::unique_ptr<X11HotKeys> hotKeys_ = std::make_unique<X11HotKeys>();
  std::vector<int> pressed_;
  QtMessageHandler previousHandler_ = nullptr;
};

TEST_F(HotKeysTest, APressInAnotherProgramsWindowReachesTheCallbackAlsoWithNumLockAndCapsLock) {
  OtherClient other;
  const Window window = other.MapWindow(0, 0, 200, 200);
  XSetInputFocus(other.display(), window, RevertToParent, CurrentTime);
  XSync(other.display(), False);

  ASSERT_TRUE(hotKeys_->Register(4, vk::kF1 + 9, kModShift | kModAlt));
  // F10 without the modifiers is not the hot key and goes to the window.
  ASSERT_EQ(RunCommand("xdotool key F10 shift+alt+F10"), 0);
  ASSERT_TRUE(Reported(4));
  EXPECT_EQ(pressed_, std::vector<int>{4});

  ASSERT_EQ(RunCommand("xdotool key Num_Lock"), 0);
  ASSERT_TRUE(testing_support::WaitUntil([&] { return other.ModifierState() & Mod2Mask; }));
  pressed_.clear();
  ASSERT_EQ(RunCommand("xdotool key shift+alt+F10"), 0);
  EXPECT_TRUE(Reported(4)) << "with NumLock on";

  ASSERT_EQ(RunCommand("xdotool key Caps_Lock"), 0);
  ASSERT_TRUE(testing_support::WaitUntil([&] { return other.ModifierState() & LockMask; }));
  pressed_.clear();
  ASSERT_EQ(RunCommand("xdotool key shift+alt+F10"), 0);
  EXPECT_TRUE(Reported(4)) << "with NumLock and CapsLock on";

  ASSERT_EQ(RunCommand("xdotool key Num_Lock Caps_Lock"), 0);
  ASSERT_TRUE(testing_support::WaitUntil(
      [&] { return (other.ModifierState() & (Mod2Mask | LockMask)) == 0; }));
}

TEST_F(HotKeysTest, ReRegisteringAnIdFreesItsOldKeyAndDestructionFreesAll) {
  OtherClient other;
  ASSERT_TRUE(hotKeys_->Register(2, vk::kF1 + 10, kModShift | kModAlt));
  EXPECT_FALSE(other.CanGrab(kF11, kShiftAlt));
  EXPECT_FALSE(other.CanGrab(kF11, kShiftAlt | Mod2Mask));

  ASSERT_TRUE(hotKeys_->Register(2, vk::kF12, kModShift | kModAlt));
  EXPECT_TRUE(other.CanGrab(kF11, kShiftAlt));
  EXPECT_TRUE(other.CanGrab(kF11, kShiftAlt | Mod2Mask | LockMask));
  EXPECT_FALSE(other.CanGrab(kF12, kShiftAlt));
  ASSERT_EQ(RunCommand("xdotool key shift+alt+F12"), 0);
  EXPECT_TRUE(Reported(2));

  hotKeys_->Unregister(2);
  EXPECT_TRUE(other.CanGrab(kF12, kShiftAlt));

  ASSERT_TRUE(hotKeys_->Register(3, vk::kF1 + 8, kModShift | kModAlt));
  hotKeys_.reset();
  EXPECT_TRUE(other.CanGrab(kF9, kShiftAlt));
}

TEST_F(HotKeysTest, AKeyHeldElsewhereFailsSilentlyAndTheOthersStillWork) {
  OtherClient other;
  ASSERT_TRUE(other.GrabKey(kF11, kShiftAlt | Mod2Mask));  // held only with NumLock on

  EXPECT_FALSE(hotKeys_->Register(3, vk::kF1 + 10, kModShift | kModAlt));
  // Nothing of the refused key stays grabbed by us.
  EXPECT_TRUE(other.CanGrab(kF11, kShiftAlt));
  EXPECT_TRUE(other.CanGrab(kF11, kShiftAlt | LockMask));

  ASSERT_TRUE(hotKeys_->Register(5, vk::kF1 + 8, kModShift | kModAlt));
  // The same combination under a second id is refused too.
  EXPECT_FALSE(hotKeys_->Register(6, vk::kF1 + 8, kModShift | kModAlt));
  ASSERT_EQ(RunCommand("xdotool key shift+alt+F11 shift+alt+F9"), 0);
  ASSERT_TRUE(Reported(5));
  EXPECT_EQ(pressed_, std::vector<int>{5});
  for (const QString& warning : qtWarnings)
    EXPECT_FALSE(warning.contains("XCB error")) << warning.toStdString();
}

TEST_F(HotKeysTest, NoKeyAndKeysWithoutAKeysymAreRefused) {
  EXPECT_FALSE(hotKeys_->Register(1, 0, 0));
  EXPECT_FALSE(hotKeys_->Register(1, vk::kLButton, 0));
  EXPECT_FALSE(hotKeys_->Register(1, 0xFF, kModControl));
}

}  // namespace
}  // namespace platform
