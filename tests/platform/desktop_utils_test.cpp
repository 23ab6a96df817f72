// The desktop functions on the doubles (no window system needed).

#include "common/desktop_utils.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QMimeData>
#include <QRegion>
#include <QUrl>
#include <QWidget>
#include <filesystem>

#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_input.h"
#include "test_app.h"

namespace {

using platform::FakeDesktop;
using platform::FakeInput;
using platform::Rect;
namespace vk = platform::vk;

TEST(FullScreenForeground, TrueOnlyForAProgramWindowCoveringExactlyTheScreen) {
  struct Case {
    const char* what;
    Rect rect;
    bool desktop;
    bool expected;
  };
  const Case cases[] = {
      {"exactly the screen", {0, 0, 1280, 1024}, false, true},
      {"the desktop", {0, 0, 1280, 1024}, true, false},
      {"smaller", {0, 0, 1280, 1000}, false, false},
      {"narrower", {0, 0, 1279, 1024}, false, false},
      {"moved right", {1, 0, 1281, 1024}, false, false},
      {"moved down", {0, 1, 1280, 1025}, false, false},
      {"frame outside the screen", {-4, -4, 1284, 1028}, false, false},
      {"larger", {0, 0, 1300, 1024}, false, false},
  };
  for (const Case& c : cases) {
    FakeDesktop desktop;
    desktop.SetScreen({1280, 1024});
    desktop.AddOnTop({7, c.rect, c.desktop});
    desktop.SetForeground(7);
    EXPECT_EQ(FullScreenForeground(desktop), c.expected) << c.what;
  }
}

TEST(FullScreenForeground, FalseWithoutAForegroundWindowOrWhenItIsGone) {
  FakeDesktop desktop;
  desktop.AddOnTop({7, {0, 0, 1280, 1024}, false});
  EXPECT_FALSE(FullScreenForeground(desktop));  // none in front
  desktop.SetForeground(8);                     // vanished
  EXPECT_FALSE(FullScreenForeground(desktop));
}

// A shown form at 100,100 sized 400 x 300; its sample points are (110,110),
// (110,380), (480,110), (480,380) and the centre (300,250).
class WindowUncoveredTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_.setGeometry(100, 100, 400, 300);
    form_.show();
    formId_ = static_cast<platform::WindowId>(form_.winId());
    desktop_.AddOnTop({1, {0, 0, 1280, 1024}, true});
    desktop_.AddOnTop({formId_, {100, 100, 500, 400}, false});
  }

  QApplication& app_ = TestApp();  // before the widget
  QWidget form_;
  platform::WindowId formId_ = 0;
  FakeDesktop desktop_;
};

TEST_F(WindowUncoveredTest, UncoveredWhenMoreThanTwoOfFivePointsKeepTheirWindow) {
  struct Case {
    const char* what;
    std::vector<Rect> covers;
    bool expected;
  };
  const Case cases[] = {
      {"nothing on top", {}, true},
      {"centre covered", {{250, 200, 350, 300}}, true},
      {"two left points covered", {{0, 0, 200, 1024}}, true},
      {"two left points and centre", {{0, 0, 320, 1024}}, false},
      {"four corners, centre free", {{0, 0, 1280, 200}, {0, 300, 1280, 1024}}, false},
      {"all covered", {{0, 0, 1280, 1024}}, false},
  };
  for (const Case& c : cases) {
    FakeDesktop desktop = desktop_;
    platform::WindowId id = 100;
    for (const Rect& cover : c.covers) desktop.AddOnTop({id++, cover, false});
    EXPECT_EQ(WindowUncovered(form_, desktop), c.expected) << c.what;
    EXPECT_EQ(desktop.bringToFrontCalls(), 1) << c.what;
    EXPECT_EQ(desktop.WindowAt(300, 250), formId_) << c.what << ": form not brought to front";
  }
}

TEST_F(WindowUncoveredTest, ACoveredFormIsUncoveredOnTheNextCall) {
  desktop_.AddOnTop({100, {0, 0, 1280, 1024}, false});
  EXPECT_FALSE(WindowUncovered(form_, desktop_));
  EXPECT_TRUE(WindowUncovered(form_, desktop_));
}

// A pixel belongs to the rounded rectangle when its centre lies in the
// rectangle and, inside a corner square, in that corner's ellipse.
bool InRoundRect(int x, int y, int w, int h, int ew, int eh) {
  const double rx = std::min(ew, w) / 2.0;
  const double ry = std::min(eh, h) / 2.0;
  const double px = x + 0.5;
  const double py = y + 0.5;
  if (px < 0 || py < 0 || px > w || py > h) return false;
  if (rx < 0.5 || ry < 0.5) return true;
  const double cx = px < rx ? rx : px > w - rx ? w - rx : px;
  const double cy = py < ry ? ry : py > h - ry ? h - ry : py;
  const double dx = (px - cx) / rx;
  const double dy = (py - cy) / ry;
  return dx * dx + dy * dy < 1.0 + 1e-9;
}

TEST(SetRoundRegion, MaskIsTheRoundedRectangle) {
  TestApp();
  struct Case {
    int w, h, ew, eh;
  };
  for (const Case& c : {Case{100, 60, 20, 20}, Case{208, 56, 3, 3}, Case{50, 40, 30, 10},
                        Case{10, 10, 40, 40}, Case{30, 20, 0, 0}, Case{30, 20, 1, 9}}) {
    QWidget window;
    window.resize(c.w + 5, c.h + 5);
    SetRoundRegion(window, c.w, c.h, c.ew, c.eh);
    const QRegion mask = window.mask();
    for (int y = -1; y <= c.h + 1; ++y) {
      for (int x = -1; x <= c.w + 1; ++x) {
        ASSERT_EQ(mask.contains(QPoint(x, y)), InRoundRect(x, y, c.w, c.h, c.ew, c.eh))
            << c.w << "x" << c.h << " corners " << c.ew << "x" << c.eh << " at " << x << "," << y;
      }
    }
  }
}

TEST(SetRoundRegion, CornersAreCutAndTheMiddleKept) {
  const QRegion region = RoundRectRegion(100, 60, 20, 20);
  for (QPoint corner : {QPoint(0, 0), QPoint(99, 0), QPoint(0, 59), QPoint(99, 59), QPoint(2, 2)})
    EXPECT_FALSE(region.contains(corner)) << corner.x() << "," << corner.y();
  for (QPoint kept : {QPoint(50, 0), QPoint(0, 30), QPoint(99, 30), QPoint(50, 59), QPoint(3, 3)})
    EXPECT_TRUE(region.contains(kept)) << kept.x() << "," << kept.y();
}

TEST(MaintenanceKeysDown, NeedsF7AndThenHomeDownOrPressedSince) {
  struct Case {
    const char* what;
    std::vector<int> held;
    std::vector<int> tapped;
    bool expected;
  };
  const Case cases[] = {
      {"nothing", {}, {}, false},
      {"F7 held", {vk::kF7}, {}, false},
      {"Home held", {vk::kHome}, {}, false},
      {"both held", {vk::kF7, vk::kHome}, {}, true},
      {"F7 tapped, Home held", {vk::kHome}, {vk::kF7}, true},
      {"both tapped", {}, {vk::kF7, vk::kHome}, true},
      {"other keys", {vk::kF1 + 5, vk::kEnd}, {vk::kF1 + 7}, false},
  };
  for (const Case& c : cases) {
    FakeInput input;
    for (int key : c.held) input.Hold(key);
    for (int key : c.tapped) input.Tap(key);
    EXPECT_EQ(MaintenanceKeysDown(input), c.expected) << c.what;
  }
}

TEST(MaintenanceKeysDown, APressCountsOnceAndHomeIsNotAskedWithoutF7) {
  FakeInput input;
  input.Tap(vk::kF7);
  input.Tap(vk::kHome);
  EXPECT_TRUE(MaintenanceKeysDown(input));
  EXPECT_FALSE(MaintenanceKeysDown(input));  // both presses used up

  input.Tap(vk::kHome);
  EXPECT_FALSE(MaintenanceKeysDown(input));  // F7 not down: Home's press stays
  input.Hold(vk::kF7);
  EXPECT_TRUE(MaintenanceKeysDown(input));
}

TEST(PutFileOnClipboard, OffersTheFileAsUriListAndCopiedFiles) {
  TestApp();
  QClipboard& clipboard = *QApplication::clipboard();
  PutFileOnClipboard("/tmp/some dir/Obj 00001234.zip", clipboard);
  const QMimeData* data = clipboard.mimeData();
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->data("text/uri-list"), "file:///tmp/some%20dir/Obj%2000001234.zip\r\n");
  EXPECT_EQ(data->data("x-special/gnome-copied-files"),
            "copy\nfile:///tmp/some%20dir/Obj%2000001234.zip");
  ASSERT_EQ(data->urls().size(), 1);
  EXPECT_EQ(data->urls().front().toLocalFile(), "/tmp/some dir/Obj 00001234.zip");
}

TEST(PutFileOnClipboard, NamesBytesAsTheyAreAndRelativeNamesFromTheCurrentFolder) {
  TestApp();
  QClipboard& clipboard = *QApplication::clipboard();
  PutFileOnClipboard("/tmp/caf\xe9#1%.zip", clipboard);  // cp1252 byte, '#' and '%'
  EXPECT_EQ(clipboard.mimeData()->data("text/uri-list"), "file:///tmp/caf%E9%231%25.zip\r\n");

  PutFileOnClipboard("pkg.zip", clipboard);
  const std::string expected = "file://" + std::filesystem::current_path().string() + "/pkg.zip";
  EXPECT_EQ(clipboard.mimeData()->data("x-special/gnome-copied-files").toStdString(),
            "copy\n" + expected);
}

}  // namespace
