// Desktop queries and the desktop functions with real windows under a window
// manager, and the clipboard read back by another program.

#include "platform/x11/x11_desktop_queries.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QProcess>
#include <QWidget>
#include <string>

#include "common/desktop_utils.h"
#include "test_app.h"
// Xlib last: its macros clash with names in the headers above.
#include "x11_test_support.h"

namespace platform {
namespace {

using x11_test::OtherClient;
using x11_test::PumpUntil;

class DesktopTest : public ::testing::Test {
 protected:
  // Shows the widget and waits until the window manager has made it the
  // active window.
  WindowId ShowActive(QWidget& widget) {
    widget.show();
    const auto id = static_cast<WindowId>(widget.winId());
    widget.activateWindow();
    EXPECT_TRUE(PumpUntil([&] { return desktop_.ForegroundWindow() == id; }));
    return id;
  }
  // The rectangle of a widget's frame as Qt sees it.
  static Rect FrameOf(const QWidget& widget) {
    const QRect frame = widget.frameGeometry();
    return {frame.left(), frame.top(), frame.left() + frame.width(), frame.top() + frame.height()};
  }

  QApplication& app_ = TestApp();
  X11DesktopQueries desktop_;
};

TEST_F(DesktopTest, ScreenIsThePrimaryScreen) {
  EXPECT_EQ(desktop_.ScreenSize(), (Size{1280, 1024}));
}

TEST_F(DesktopTest, NoActiveWindowAndDesktopTypedWindowsAreTheDesktop) {
  ASSERT_TRUE(PumpUntil([&] { return desktop_.ForegroundWindow() == 0; }));
  EXPECT_TRUE(desktop_.IsDesktopWindow(desktop_.ForegroundWindow()));
  EXPECT_FALSE(FullScreenForeground(desktop_));

  OtherClient other;
  const Window desktopWindow = other.MapWindow(0, 0, 1280, 1024, true);
  const Window plainWindow = other.MapWindow(10, 10, 100, 100);
  EXPECT_TRUE(desktop_.IsDesktopWindow(desktopWindow));
  EXPECT_FALSE(desktop_.IsDesktopWindow(plainWindow));
  EXPECT_FALSE(desktop_.IsDesktopWindow(0x7fffffff));  // no such window
  EXPECT_FALSE(desktop_.WindowRect(0x7fffffff).has_value());
}

TEST_F(DesktopTest, FullScreenForegroundWithRealWindows) {
  QWidget full;
  full.showFullScreen();
  const auto fullId = ShowActive(full);
  EXPECT_TRUE(PumpUntil([&] { return FullScreenForeground(desktop_); }));
  EXPECT_EQ(desktop_.WindowRect(fullId), (Rect{0, 0, 1280, 1024}));

  QWidget small;
  small.setGeometry(100, 120, 300, 200);
  const auto smallId = ShowActive(small);
  ASSERT_TRUE(PumpUntil([&] { return desktop_.WindowRect(smallId) == FrameOf(small); }));
  EXPECT_FALSE(FullScreenForeground(desktop_));

  QWidget outside;
  outside.setGeometry(-30, -20, 1400, 1100);
  const auto outsideId = ShowActive(outside);
  ASSERT_TRUE(PumpUntil([&] { return desktop_.WindowRect(outsideId) == FrameOf(outside); }));
  EXPECT_LT(desktop_.WindowRect(outsideId)->left, 0);
  EXPECT_FALSE(FullScreenForeground(desktop_));
}

TEST_F(DesktopTest, WindowAtFindsTheTopmostWindowAndWindowUncoveredBringsTheFormForward) {
  QWidget form;
  form.setGeometry(100, 100, 400, 300);
  const auto formId = ShowActive(form);
  ASSERT_TRUE(PumpUntil([&] { return desktop_.WindowRect(formId) == FrameOf(form); }));
  const QPoint centre = form.frameGeometry().center();
  EXPECT_EQ(desktop_.WindowAt(centre.x(), centre.y()), formId);
  EXPECT_EQ(desktop_.WindowAt(1200, 1000), 0u);  // only the bare root there

  QWidget cover;
  cover.setGeometry(50, 50, 600, 500);
  const auto coverId = ShowActive(cover);
  ASSERT_TRUE(PumpUntil([&] { return desktop_.WindowAt(centre.x(), centre.y()) == coverId; }));

  EXPECT_FALSE(WindowUncovered(form, desktop_));
  EXPECT_EQ(desktop_.WindowAt(centre.x(), centre.y()), formId);
  EXPECT_EQ(desktop_.ForegroundWindow(), formId);
  EXPECT_TRUE(WindowUncovered(form, desktop_));
}

TEST_F(DesktopTest, AFileOnTheClipboardPastesAsAFileInAnotherProgram) {
  testing_support::TempDir dir;
  const std::string file = dir / "Obj 00001234.zip";
  testing_support::WriteFileBytes(file, "PK");
  PutFileOnClipboard(file, *QApplication::clipboard());

  const auto paste = [](const QString& target) {
    QProcess xclip;
    xclip.start("xclip", {"-selection", "clipboard", "-o", "-t", target});
    EXPECT_TRUE(PumpUntil([&] { return xclip.state() == QProcess::NotRunning; }));
    EXPECT_EQ(xclip.exitCode(), 0) << target.toStdString();
    return xclip.readAllStandardOutput().toStdString();
  };
  std::string uri = "file://" + dir.path() + "Obj%2000001234.zip";
  EXPECT_EQ(paste("text/uri-list"), uri + "\r\n");
  EXPECT_EQ(paste("x-special/gnome-copied-files"), "copy\n" + uri);
  const std::string targets = paste("TARGETS");
  EXPECT_NE(targets.find("text/uri-list"), std::string::npos) << targets;
  EXPECT_NE(targets.find("x-special/gnome-copied-files"), std::string::npos) << targets;
}

}  // namespace
}  // namespace platform
