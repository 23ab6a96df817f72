// The real runner on a private X server: alive messages, the picture on the
// screen, the end of an effect, hung pages, killing it, blocked requests,
// start failures and the counter page.

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>

#include "common/uUtils.h"
#include "tests/runner/runner_fixture.h"

using namespace std::chrono_literals;
using runner_test::CountingHttpServer;
using runner_test::Descendants;
using runner_test::ProcessLives;
using runner_test::RunnerFixture;
using runner_test::XScreen;
using testing_support::ReadFileBytes;
using testing_support::WaitUntil;
using testing_support::WriteFileBytes;

namespace {

constexpr std::int32_t kAlive = 1, kEnded = 0;

bool Bright(std::uint32_t rgb) {
  return ((rgb >> 16) & 0xFF) > 200 && ((rgb >> 8) & 0xFF) > 200 && (rgb & 0xFF) > 200;
}

// Pixels that are bright now and were dark before: what the effect painted.
int NewBrightPixels(const std::vector<std::uint32_t>& before,
                    const std::vector<std::uint32_t>& now) {
  int n = 0;
  for (size_t i = 0; i < now.size(); ++i) n += Bright(now[i]) && !Bright(before[i]);
  return n;
}

bool AllGone(const std::set<pid_t>& pids) {
  for (pid_t pid : pids)
    if (ProcessLives(pid)) return false;
  return true;
}

// A quiet page that animates and never ends; its attempt to navigate away
// at once is refused and must not end it.
const char* const kEndlessPage = R"(<!DOCTYPE html><html><body style="background:transparent">
<script>location.href = "http://127.0.0.1:9/away";</script>
<div id="d" style="width:40px;height:40px;background:#0c0"></div>
<script>var a = 0; setInterval(function () { a += 5;
  document.getElementById("d").style.marginLeft = (a % 400) + "px"; }, 50);</script>
</body></html>)";

TEST(Runner, DemoEffectIsAliveOnScreenOutOfTheWayAndLeavesNothingWhenKilled) {
  RunnerFixture runner;
  XScreen screen;
  runner.InstallDemoEffect("snowfall", "00001001");
  // The user's application, below the effect. It bypasses the window
  // manager so that the test does not wait on it.
  const unsigned long application = screen.OpenWindow(100, 100, 400, 300, true);
  ASSERT_TRUE(WaitUntil([&] { return screen.Viewable(application); }, 10s));
  screen.Focus(application);
  const std::vector<std::uint32_t> before = screen.Grab();
  runner.Start("00001001");
  const pid_t pid = runner.process().pid();

  ASSERT_TRUE(runner.WaitForMessage(kAlive, 10s)) << "no alive message within 10 s";
  int painted = 0;
  auto lastGrab = std::chrono::steady_clock::now() - 1h;
  EXPECT_TRUE(WaitUntil(
      [&] {
        if (std::chrono::steady_clock::now() - lastGrab < 250ms) return false;
        lastGrab = std::chrono::steady_clock::now();
        painted = NewBrightPixels(before, screen.Grab());
        return painted >= 30;
      },
      30s))
      << "snowflakes on the screen: " << painted << " bright pixels";

  // One window over the whole screen, outside the window manager (so no
  // taskbar entry and no frame), never asking for the keyboard focus.
  const std::vector<unsigned long> windows = screen.WindowsOf(pid);
  ASSERT_EQ(windows.size(), 1u);
  const unsigned long effect = windows[0];
  int x, y, width, height;
  screen.Geometry(effect, &x, &y, &width, &height);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(width, screen.width());
  EXPECT_EQ(height, screen.height());
  EXPECT_TRUE(screen.BypassesWindowManager(effect));
  EXPECT_FALSE(screen.AcceptsFocus(effect));
  EXPECT_EQ(screen.FocusedWindow(), application) << "the effect took the keyboard focus";
  // Clicks go through to the application; a window raised over the effect
  // does not hide it for long.
  EXPECT_TRUE(screen.StackedAbove(effect, application));
  EXPECT_EQ(screen.TopLevelUnderPointer(300, 250), application);
  const unsigned long popup = screen.OpenWindow(0, 0, 50, 50, true);
  screen.Raise(popup);
  EXPECT_TRUE(WaitUntil([&] { return screen.StackedAbove(effect, popup); }, 10s));

  // Killed alone (not its process group), the runner takes its helpers along.
  const std::set<pid_t> family = Descendants(pid);
  EXPECT_GE(family.size(), 2u) << "the browser engine's helper processes";
  kill(pid, SIGKILL);
  runner.process().Wait();
  EXPECT_TRUE(WaitUntil([&] { return AllGone(family); }, 30s))
      << "helper processes outlived the runner";
  EXPECT_EQ(runner.Count(kEnded), 0);
}

TEST(Runner, PageThatClosesItselfEndsOnceAndReachesNothingOutsideItsFolder) {
  RunnerFixture runner;
  CountingHttpServer server;
  const std::string folder = runner.objectsDir() + "00000077/";
  std::filesystem::create_directories(runner.objectsDir() + "00000078");
  WriteFileBytes(runner.objectsDir() + "secret.txt", "secret");
  WriteFileBytes(runner.objectsDir() + "outside.js", "window.outsideRan = true;");
  WriteFileBytes(runner.objectsDir() + "00000078/index.htm", "<script>parent.leak()</script>");
  std::filesystem::create_directories(folder);
  WriteFileBytes(folder + "own.js", "window.ownRan = true;");
  WriteFileBytes(folder + "own.txt", "own");
  const std::string remote = server.url("/");
  // The page closes itself after a second, but only when its own files
  // loaded and nothing from outside its folder did; every remote attempt
  // would show up at the server.
  runner.WritePage("00000077", R"(<!DOCTYPE html><html><head>
<link rel="stylesheet" href=")" + remote +
                                   R"(style.css">
<script src="own.js"></script>
<script src="../outside.js"></script>
<script src=")" + remote + R"(script.js"></script>
</head><body style="background:transparent">
<img src=")" + remote + R"(image.png">
<img src="../secret.txt" onload='leak()'>
<iframe src=")" + remote + R"(frame.htm"></iframe>
<iframe src="../00000078/index.htm"></iframe>
<a id="away" href=")" + remote + R"(link">away</a>
<script>
location.href = ")" + remote + R"(navigate";
document.getElementById("away").click();
var leaked = false, ownText = "";
function leak() { leaked = true; }
function get(url, done) {
  try { var x = new XMLHttpRequest(); x.open("GET", url);
        x.onload = function () { done(x.responseText); }; x.send(); } catch (e) {}
}
get("own.txt", function (t) { ownText = t; });
get("../secret.txt", function (t) { if (t) leak(); });
get("file://)" + runner.objectsDir() +
                                   R"(secret.txt", function (t) { if (t) leak(); });
get(")" + remote + R"(xhr", function () {});
try { fetch(")" + remote + R"(fetch"); } catch (e) {}
try { new WebSocket("ws://127.0.0.1:)" +
                                   std::to_string(server.port()) + R"(/ws"); } catch (e) {}
try { navigator.sendBeacon(")" + remote +
                                   R"(beacon", "x"); } catch (e) {}
try { new Worker(")" + remote + R"(worker.js"); } catch (e) {}
try { window.open(")" + remote + R"(popup"); } catch (e) {}
setTimeout(function () {
  if (window.ownRan && ownText === "own" && !window.outsideRan && !leaked) window.close();
  else location.href = ")" + remote +
                                   R"(leaked";
}, 1000);
</script></body></html>)");
  const std::string errors = runner.objectsDir() + "errors.txt";
  runner.Start("00000077", "", errors);

  ASSERT_TRUE(runner.WaitForMessage(kEnded, 60s))
      << "the page did not close itself: its own files missing or an outside file loaded";
  EXPECT_TRUE(WaitUntil([&] { return !runner.process().StillActive(); }, 30s));
  EXPECT_EQ(runner.Count(kEnded), 1);
  EXPECT_EQ(server.connections(), 0) << "requests reached the server";
  // The refused navigations left the page playing until it closed itself.
  EXPECT_EQ(ReadFileBytes(errors).find("RunEffect:"), std::string::npos) << ReadFileBytes(errors);
}

TEST(Runner, PageThatNeverEndsKeepsSendingAliveUntilItsRendererDies) {
  RunnerFixture runner;
  runner.WritePage("00000079", kEndlessPage);
  runner.Start("00000079");
  ASSERT_TRUE(runner.WaitForMessage(kAlive, 30s));
  const auto first = runner.Messages().front().at;
  EXPECT_TRUE(WaitUntil(
      [&] { return runner.Count(kAlive) >= 5 && runner.Messages().back().at - first >= 8s; }, 60s))
      << runner.Count(kAlive) << " alive messages";
  for (size_t i = 1; i < runner.Messages().size(); ++i)
    EXPECT_LE(runner.Messages()[i].at - runner.Messages()[i - 1].at, 10s);
  EXPECT_EQ(runner.Count(kEnded), 0);
  EXPECT_TRUE(runner.process().StillActive());

  // The page's renderer dies: the effect is over.
  const pid_t pid = runner.process().pid();
  const std::set<pid_t> renderers = runner_test::Renderers(pid);
  ASSERT_FALSE(renderers.empty());
  for (pid_t renderer : renderers) kill(renderer, SIGKILL);
  EXPECT_TRUE(runner.WaitForMessage(kEnded, 30s));
  EXPECT_TRUE(WaitUntil([&] { return !runner.process().StillActive(); }, 30s));
  EXPECT_EQ(runner.Count(kEnded), 1);
}

TEST(Runner, PageStuckInAnEndlessScriptStopsTheAliveMessages) {
  RunnerFixture runner;
  runner.WritePage("00000080", R"(<!DOCTYPE html><html><body style="background:transparent">
<script>setTimeout(function () { for (;;) {} }, 3000);</script></body></html>)");
  runner.Start("00000080");
  ASSERT_TRUE(runner.WaitForMessage(kAlive, 30s));
  // Once the script hangs, the alive messages stop while the runner stays.
  EXPECT_TRUE(WaitUntil(
      [&] { return std::chrono::steady_clock::now() - runner.Messages().back().at >= 12s; }, 60s))
      << "alive messages went on from a hung page";
  EXPECT_TRUE(runner.process().StillActive());
  EXPECT_EQ(runner.Count(kEnded), 0);

  // A renderer busy in a script does not notice that the runner is gone;
  // killed alone, the runner still takes it along.
  const std::set<pid_t> family = Descendants(runner.process().pid());
  EXPECT_GE(family.size(), 2u);
  kill(runner.process().pid(), SIGKILL);
  runner.process().Wait();
  EXPECT_TRUE(WaitUntil([&] { return AllGone(family); }, 30s))
      << "helper processes outlived the runner";
}

TEST(Runner, StartFailuresGiveOneLineAndTheEndedMessage) {
  struct Case {
    const char* what;
    bool writePage;
    std::string environment;
  };
  const std::vector<Case> cases = {
      {"no index.htm", false, ""},
      {"no display", true, "DISPLAY=:59999 QT_QPA_PLATFORM=xcb"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RunnerFixture runner;
    if (c.writePage) runner.WritePage("00000081", kEndlessPage);
    const std::string errors = runner.objectsDir() + "errors.txt";
    runner.Start("00000081", c.environment, errors);
    EXPECT_NE(runner.process().Wait(), 0);
    EXPECT_EQ(runner.Count(kEnded), 1);
    EXPECT_EQ(runner.Count(kAlive), 0);
    const std::string text = ReadFileBytes(errors);
    EXPECT_EQ(text.rfind("RunEffect: ", 0), 0u) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
  }
}

TEST(Runner, CounterPageOpensTheStoredAddressInAnOrdinaryWindowAndReportsNothing) {
  RunnerFixture runner;
  CountingHttpServer server;
  XScreen screen;
  RegWrite("CountersPage", server.url("/counters"));
  runner.Start("99998999");
  const pid_t pid = runner.process().pid();
  ASSERT_TRUE(WaitUntil([&] { return server.connections() >= 1; }, 60s))
      << "the counter page was not requested";
  ASSERT_TRUE(WaitUntil([&] { return !screen.WindowsOf(pid).empty(); }, 30s));
  const unsigned long window = screen.WindowsOf(pid)[0];
  int x, y, width, height;
  screen.Geometry(window, &x, &y, &width, &height);
  EXPECT_LT(width, screen.width());
  EXPECT_LT(height, screen.height());
  EXPECT_FALSE(screen.WindowStates(window).count("_NET_WM_STATE_SKIP_TASKBAR"));
  EXPECT_TRUE(runner.Messages().empty());
  EXPECT_TRUE(runner.process().StillActive());
}

}  // namespace
