#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include "agent/UMain.h"
#include "agent/agent_application.h"
#include "common/uUtils.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_cpu_probe.h"
#include "platform/fake/fake_input.h"
#include "platform/fake/scripted_dialogs.h"
#include "platform/process.h"
#include "platform/x11/x11_desktop_queries.h"
#include "platform/x11/x11_hot_keys.h"
#include "tests/agent/fake_agent_window.h"
#include "tests/support/test_application.h"
#include "tests/support/test_support.h"

namespace {

void Key(const std::string& keys) {
  EXPECT_EQ(platform::ChildProcess::Spawn({"/usr/bin/xdotool", "key", keys}).Wait(), 0);
}

TEST(MainFormOnX11, HotKeyRegisteredBySetHotKeyReachesTheMainForm) {
  AgentApplication& app = TestApplication<AgentApplication>();
  testing_support::TempDir dir;
  testing_support::ScopedEnv registry("SPARKLETIDE_REGISTRY", dir / "reg");
  SetAppDir(dir.path());
  platform::FakeClock clock;
  platform::X11HotKeys hotKeys;
  platform::X11DesktopQueries desktop;
  FakeAgentWindow window;
  platform::ScriptedDialogs dialogs;
  platform::FakeInput input;
  platform::FakeCpuProbe cpu;
  TFMain FMain({clock, hotKeys, desktop, input, cpu, dialogs, 0, &app});
  FMain.FObjects = &window;

  FMain.SetHotKey(kHotKeyShowHide, platform::TextToShortcut("Shift+Alt+F10"));
  Key("shift+alt+F10");
  EXPECT_TRUE(QTest::qWaitFor([&] { return window.shown; }, 10000));

  // Moved to another key, which then acts.
  FMain.SetHotKey(kHotKeyShowHide, platform::TextToShortcut("Shift+Ctrl+F11"));
  window.shown = false;
  Key("shift+ctrl+F11");
  EXPECT_TRUE(QTest::qWaitFor([&] { return window.shown; }, 10000));
}

}  // namespace
