#include <QTimerEvent>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "agent/UMain.h"
#include "agent/agent_application.h"
#include "common/uUtils.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_cpu_probe.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_hot_keys.h"
#include "platform/fake/fake_input.h"
#include "platform/fake/scripted_dialogs.h"
#include "tests/agent/fake_agent_window.h"
#include "tests/support/test_application.h"
#include "tests/support/test_support.h"

using platform::TextToShortcut;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

// A main form whose checks record their calls, and can be told to fail.
class ProbeMainForm : public TFMain {
 public:
  using TFMain::TFMain;
  void CheckAndStartDownload() override { Called("CheckAndStartDownload"); }
  void CheckUserIdleAndFireSS() override { Called("CheckUserIdleAndFireSS"); }
  void CheckAndFireObj() override { Called("CheckAndFireObj"); }
  void CheckTimeEffStart() override { Called("CheckTimeEffStart"); }
  void CheckCpuUsage() override { Called("CheckCpuUsage"); }
  void CheckHangEffects() override { Called("CheckHangEffects"); }
  void CheckHangSession() override { Called("CheckHangSession"); }

  std::vector<std::string> calls;
  std::string failIn;

 private:
  void Called(const std::string& check) {
    calls.push_back(check);
    if (check == failIn) {
      failIn.clear();
      throw std::runtime_error("probe failure");
    }
  }
};

class MainFormTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { TestApplication<AgentApplication>(); }

  void SetUp() override {
    SetAppDir(dir.path());
    FMain = std::make_unique<ProbeMainForm>(TFMain::Services{
        clock, hotKeys, desktop, input, cpu, dialogs, 0, static_cast<AgentApplication*>(qApp)});
  }

  std::string Log() const {
    return testing_support::Exists(dir / "sparkletide.log")
               ? testing_support::ReadFileBytes(dir / "sparkletide.log")
               : "";
  }

  testing_support::TempDir dir;
  testing_support::ScopedEnv registry{"SPARKLETIDE_REGISTRY", dir / "reg"};
  platform::FakeClock clock;
  platform::FakeHotKeys hotKeys;
  platform::FakeDesktop desktop;
  platform::ScriptedDialogs dialogs;
  platform::FakeInput input;
  platform::FakeCpuProbe cpu;
  FakeAgentWindow window;
  std::unique_ptr<ProbeMainForm> FMain;
};

TEST_F(MainFormTest, HeartbeatCallsTheChecksInOrderAndOnlySomeWhileDisabled) {
  FMain->TimerTimer();  // no agent window yet: as disabled
  FMain->FObjects = &window;
  window.enabled = false;
  FMain->TimerTimer();
  const std::vector<std::string> always = {"CheckTimeEffStart", "CheckCpuUsage", "CheckHangEffects",
                                           "CheckHangSession"};
  std::vector<std::string> twice = always;
  twice.insert(twice.end(), always.begin(), always.end());
  EXPECT_EQ(FMain->calls, twice);

  FMain->calls.clear();
  window.enabled = true;
  FMain->TimerTimer();
  EXPECT_THAT(FMain->calls, ElementsAre("CheckAndStartDownload", "CheckUserIdleAndFireSS",
                                        "CheckAndFireObj", "CheckTimeEffStart", "CheckCpuUsage",
                                        "CheckHangEffects", "CheckHangSession"));
}

TEST_F(MainFormTest, ExceptionInATickIsLoggedTheRestSkippedAndTheNextTickRuns) {
  FMain->FObjects = &window;
  FMain->failIn = "CheckCpuUsage";
  FMain->Timer.start();
  // A timer event, delivered the way the event loop delivers it.
  QTimerEvent tick(FMain->Timer.timerId());
  QCoreApplication::sendEvent(&FMain->Timer, &tick);
  EXPECT_THAT(FMain->calls.back(), "CheckCpuUsage");
  EXPECT_THAT(Log(), HasSubstr(" Exception on object QTimer : probe failure\r\n"));

  FMain->calls.clear();
  QCoreApplication::sendEvent(&FMain->Timer, &tick);
  EXPECT_EQ(FMain->calls.size(), 7u);
  FMain->Timer.stop();
}

TEST_F(MainFormTest, TrayIconFollowsTheStateAndIsNotReloadedForTheSameName) {
  EXPECT_EQ(FMain->CurrentIconName, "ico_dis");  // no agent window: not enabled
  FMain->FObjects = &window;
  FMain->TimerTimer();
  EXPECT_EQ(FMain->CurrentIconName, "ico_def");
  const qint64 key = FMain->RxTrayIcon.icon().cacheKey();
  FMain->TimerTimer();
  EXPECT_EQ(FMain->RxTrayIcon.icon().cacheKey(), key);
  window.enabled = false;
  FMain->TimerTimer();
  EXPECT_EQ(FMain->CurrentIconName, "ico_dis");

  FMain->EffectPlaying = true;
  std::set<std::string> frames;
  for (int tick = 0; tick < 60; ++tick) {
    const std::string before = FMain->CurrentIconName;
    const qint64 beforeKey = FMain->RxTrayIcon.icon().cacheKey();
    FMain->TimerTimer();
    EXPECT_THAT(FMain->CurrentIconName, ::testing::MatchesRegex("ico_e[1-9]"));
    if (FMain->CurrentIconName == before) {
      EXPECT_EQ(FMain->RxTrayIcon.icon().cacheKey(), beforeKey);
    }
    frames.insert(FMain->CurrentIconName);
  }
  EXPECT_GT(frames.size(), 5u);
}

TEST_F(MainFormTest, MissingIconRaisesOnceForTheSameName) {
  EXPECT_THROW(FMain->LoadIcon("ico_missing"), std::runtime_error);
  EXPECT_NO_THROW(FMain->LoadIcon("ico_missing"));
}

TEST_F(MainFormTest, StopKeyIsHeldOnlyWhilePlaybackWantsIt) {
  FMain->SetHotKey(kHotKeyStop, TextToShortcut("Esc"));
  EXPECT_FALSE(hotKeys.RegisteredAs(kHotKeyStop));
  FMain->StopKeyActive = true;
  FMain->SetHotKey(kHotKeyStop, TextToShortcut("Esc"));
  EXPECT_TRUE(hotKeys.RegisteredAs(kHotKeyStop));
  hotKeys.Press(platform::vk::kEscape, 0);
  EXPECT_FALSE(FMain->StopKeyActive);
  EXPECT_FALSE(hotKeys.RegisteredAs(kHotKeyStop));
}

TEST_F(MainFormTest, HotKeysToggleTheAgentAndShowTheWindow) {
  FMain->SetHotKey(kHotKeyEnable, TextToShortcut("Shift+Alt+F9"));
  FMain->SetHotKey(kHotKeyShowHide, TextToShortcut("Shift+Alt+F10"));
  const platform::Modifiers shiftAlt = platform::kModShift | platform::kModAlt;
  hotKeys.Press(platform::vk::kF1 + 8, shiftAlt);  // nothing happens without the window
  FMain->FObjects = &window;
  hotKeys.Press(platform::vk::kF1 + 8, shiftAlt);
  EXPECT_FALSE(window.enabled);
  hotKeys.Press(platform::vk::kF1 + 9, shiftAlt);
  EXPECT_TRUE(window.shown);
  // Re-registering with another key frees the old one.
  FMain->SetHotKey(kHotKeyShowHide, TextToShortcut("Ctrl+F11"));
  EXPECT_EQ(hotKeys.RegisteredAs(kHotKeyShowHide)->key, platform::vk::kF1 + 10);
  hotKeys.Press(platform::vk::kF1 + 9, shiftAlt);
  EXPECT_TRUE(window.shown);
}

TEST_F(MainFormTest, TrayClickShowsAHiddenWindowRaisesACoveredOneAndHidesAnUncoveredOne) {
  FMain->RxTrayIconClick();  // no agent window: nothing
  FMain->FObjects = &window;
  FMain->RxTrayIconClick();
  EXPECT_TRUE(window.shown);

  // Covered by another window: the click brings it to the front and keeps it.
  window.form.setGeometry(100, 100, 400, 300);
  const auto formId = static_cast<platform::WindowId>(window.form.winId());
  desktop.SetScreen({1280, 1024});
  desktop.AddOnTop({formId, {100, 100, 500, 400}, false});
  desktop.AddOnTop({formId + 1000, {0, 0, 1280, 1024}, false});
  FMain->RxTrayIconClick();
  EXPECT_TRUE(window.shown);
  EXPECT_EQ(desktop.ForegroundWindow(), formId);
  // Now uncovered: the next click hides it.
  FMain->RxTrayIconClick();
  EXPECT_FALSE(window.shown);
}

TEST_F(MainFormTest, CheckFormVisibilityBringsTheShownStateInStep) {
  FMain->FObjects = &window;
  window.shown = true;
  window.onScreen = false;
  FMain->CheckFormVisibility();
  EXPECT_FALSE(window.shown);
}

TEST_F(MainFormTest, DestructionFreesTheHotKeysAndLogsExit) {
  FMain->StopKeyActive = true;
  for (int id = 1; id <= 4; ++id) FMain->SetHotKey(id, TextToShortcut("F" + std::to_string(id)));
  EXPECT_EQ(hotKeys.registered().size(), 4u);
  FMain.reset();
  EXPECT_TRUE(hotKeys.registered().empty());
  EXPECT_THAT(Log(), HasSubstr(" Exit\r\n"));
  EXPECT_THAT(Log(), HasSubstr(" Start\r\n"));
}

}  // namespace
