// The agent as a user gets it: installed into a program folder, started on a
// real X server, unpacking the shipped effects, and playing one of them with
// the real runner until it ends and the rating panel asks for stars.

#include <signal.h>
#include <sys/stat.h>

#include <QTest>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "agent/UMain.h"
#include "agent/agent_application.h"
#include "common/uUtils.h"
#include "platform/fake/scripted_dialogs.h"
#include "platform/process.h"
#include "platform/qt/message_port_watch.h"
#include "platform/x11/x11_desktop_queries.h"
#include "platform/x11/x11_hot_keys.h"
#include "platform/x11/x11_input_queries.h"
#include "playback/URating.h"
#include "tests/runner/runner_fixture.h"
#include "tests/support/test_application.h"
#include "tests/support/test_support.h"

namespace {

using ::testing::Contains;
using testing_support::WaitUntil;

TEST(InstalledAgent, FirstStartUnpacksTheShippedEffectsAndOneOfThemPlaysToItsEnd) {
  testing_support::TempDir home;
  const std::string prog = home / "prog/";
  ASSERT_EQ(platform::ChildProcess::Spawn({CMAKE_COMMAND, "--install", BUILD_DIR, "--prefix", prog})
                .Wait(),
            0);
  mkdir((home / "run").c_str(), 0700);
  testing_support::ScopedEnv registry("SPARKLETIDE_REGISTRY", home / "reg");
  testing_support::ScopedEnv runtime("XDG_RUNTIME_DIR", home / "run");
  testing_support::ScopedEnv config("XDG_CONFIG_HOME", home / "config");
  testing_support::ScopedEnv data("XDG_DATA_HOME", home / "data");

  // First start: the packages are checked, unpacked and adopted.
  platform::ChildProcess agent = platform::ChildProcess::Spawn({prog + "sparkletide"});
  const auto logged = [&](const std::string& text) {
    const auto texts = testing_support::LogTexts(prog + "sparkletide.log");
    return std::find(texts.begin(), texts.end(), text) != texts.end();
  };
  ASSERT_TRUE(WaitUntil([&] { return logged("Save objects DB"); }, std::chrono::seconds(60)));
  kill(agent.pid(), SIGTERM);
  EXPECT_EQ(agent.Wait(), 0);
  for (const char* added :
       {"Add new object 00001001 (Snowfall)", "Add new object 00001002 (Balloons)",
        "Add new object 00001003 (Fireworks)", "Add new object 00001004 (Fireflies)"})
    EXPECT_TRUE(logged(added)) << added;
  EXPECT_TRUE(logged("Exit"));

  // The catalogue as the agent left it, played from the main form.
  AgentApplication& app = TestApplication<AgentApplication>();
  SetAppDir(prog);
  platform::SystemClock clock;
  platform::X11HotKeys hotKeys;
  platform::X11DesktopQueries desktop;
  platform::X11InputQueries input;
  platform::ProcStatCpuProbe cpu;
  platform::ScriptedDialogs dialogs;
  const auto handle = static_cast<std::uint64_t>(platform::CurrentProcessId());
  std::unique_ptr<TFMain> FMain;
  platform::MessagePortWatch port(std::make_unique<platform::MessagePort>(handle),
                                  [&](const platform::PortMessage& m) {
                                    if (FMain) FMain->EffectStateMessage(m);
                                  });
  FMain = std::make_unique<TFMain>(
      TFMain::Services{clock, hotKeys, desktop, input, cpu, dialogs, handle, &app});
  TFRating FRating([&](std::int32_t id, int rating) { FMain->SetObjRating(id, rating); });
  FMain->FRating = &FRating;
  EXPECT_EQ(FMain->dObjList.RecordCount(), 4);

  runner_test::XScreen screen;
  const std::vector<std::uint32_t> before = screen.Grab();
  ASSERT_TRUE(FMain->ShowEffect(1002, false));
  ASSERT_EQ(FMain->RunList.size(), 1u);
  const std::uint32_t started = FMain->RunList.entries().front().LastAlive;
  // Alive from the runner, and the balloons on the screen.
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        return FMain->RunList.size() == 1 && FMain->RunList.entries().front().LastAlive != started;
      },
      30000));
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        const std::vector<std::uint32_t> now = screen.Grab();
        size_t changed = 0;
        for (size_t i = 0; i < now.size() && i < before.size(); ++i) changed += now[i] != before[i];
        return changed > now.size() / 200;
      },
      30000));
  // The effect ends by itself; the panel asks for its rating.
  EXPECT_TRUE(QTest::qWaitFor([&] { return FRating.isVisible(); }, 90000));
  EXPECT_EQ(FRating.ObjId, 1002);
  EXPECT_TRUE(FMain->dObjList.Locate(catalogue::Field::ObjID, 1002));
  EXPECT_EQ(FMain->dObjList.Integer(catalogue::Field::ObjPointer), 0);
  FMain.reset();
}

}  // namespace
