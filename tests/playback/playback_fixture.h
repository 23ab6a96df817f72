#pragma once
// A main form with a program folder of its own, the stand-in runner installed
// as "RunEffect", a message port for the runners, doubles for clock, input,
// desktop, hot keys and processor load, and the rating panel.

#include <signal.h>

#include <QRadioButton>
#include <QTest>
#include <filesystem>
#include <fstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "agent/UMain.h"
#include "agent/agent_application.h"
#include "common/uUtils.h"
#include "platform/datetime.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_cpu_probe.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_hot_keys.h"
#include "platform/fake/fake_input.h"
#include "platform/fake/scripted_dialogs.h"
#include "platform/process.h"
#include "platform/qt/message_port_watch.h"
#include "playback/URating.h"
#include "tests/support/test_application.h"
#include "tests/support/test_support.h"

class PlaybackTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { TestApplication<AgentApplication>(); }

  void SetUp() override {
    std::filesystem::create_directories(dir / "Objects/ZIP");
    std::filesystem::copy_file(TEST_RUNNER, dir / "RunEffect");
    SetAppDir(dir.path());
    RegWrite("ELogLevel", "2");
    desktop.SetScreen({1280, 1024});
    // Monday 7 December 2026, 12:00.
    clock.SetNow(*platform::EncodeDateTime({2026, 12, 7, 12, 0, 0, 0}));
    clock.SetTick(10000000);
    port = std::make_unique<platform::MessagePortWatch>(
        std::make_unique<platform::MessagePort>(handle), [this](const platform::PortMessage& m) {
          if (FMain) FMain->EffectStateMessage(m);
        });
    FMain =
        std::make_unique<TFMain>(TFMain::Services{clock, hotKeys, desktop, input, cpu, dialogs,
                                                  handle, static_cast<AgentApplication*>(qApp)});
    FRating = std::make_unique<TFRating>(
        [this](std::int32_t id, int rating) { FMain->SetObjRating(id, rating); });
    FMain->FRating = FRating.get();
  }

  void TearDown() override {
    FMain.reset();
    EXPECT_EQ(ZombieChildren(), 0) << "runners left unreaped";
  }

  // An effect of the catalogue with its folder; `runner` tells the stand-in
  // runner what to do ("alive 100", "end 300", "silent").
  void AddEffect(std::int32_t id, const std::string& type,
                 const std::string& runner = "alive 100") {
    const std::string folder = ObjectsDir() + PadId(id) + "/";
    std::filesystem::create_directories(folder);
    testing_support::WriteFileBytes(folder + "index.htm", "<html></html>");
    testing_support::WriteFileBytes(folder + "test-runner.txt", runner);
    FMain->AddNewObject(id, "Effect " + std::to_string(id), type, "", "", "", 100, 1234567, 0,
                        clock.Now() - 1, clock.Now() + 1);
    if (type == "C") FMain->SetObjEnabled(id, true);
  }

  std::int32_t Field(std::int32_t id, catalogue::Field field) {
    EXPECT_TRUE(FMain->dObjList.Locate(catalogue::Field::ObjID, id));
    return FMain->dObjList.Integer(field);
  }
  std::int32_t Pointer(std::int32_t id) { return Field(id, catalogue::Field::ObjPointer); }
  bool Playing(std::int32_t id) { return Pointer(id) != 0; }

  void Set(std::int32_t id, catalogue::Field field, const catalogue::FieldValue& value) {
    ASSERT_TRUE(FMain->dObjList.Locate(catalogue::Field::ObjID, id));
    FMain->dObjList.Edit();
    FMain->dObjList.Set(field, value);
    FMain->dObjList.Post();
  }

  // The runner's pid as it wrote it, once it runs.
  pid_t RunnerPid(std::int32_t id) {
    const std::string file = ObjectsDir() + PadId(id) + "/runner.pid";
    pid_t pid = 0;
    testing_support::WaitUntil([&] {
      std::ifstream in(file);
      return static_cast<bool>(in >> pid);
    });
    return pid;
  }
  static bool Gone(pid_t pid) { return kill(pid, 0) != 0; }

  std::vector<std::string> LogTexts() const {
    return testing_support::LogTexts(dir / "sparkletide.log");
  }
  bool Logged(const std::string& text) const {
    const auto texts = LogTexts();
    return std::find(texts.begin(), texts.end(), text) != texts.end();
  }

  static int ZombieChildren() {
    int zombies = 0;
    const pid_t self = platform::CurrentProcessId();
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
      std::ifstream in(entry.path() / "stat");
      std::string line;
      if (!std::getline(in, line)) continue;
      const size_t close = line.rfind(')');
      if (close == std::string::npos) continue;
      std::istringstream rest(line.substr(close + 2));
      char state;
      pid_t parent;
      rest >> state >> parent;
      if (state == 'Z' && parent == self) ++zombies;
    }
    return zombies;
  }

  testing_support::TempDir dir;
  testing_support::ScopedEnv registry{"SPARKLETIDE_REGISTRY", dir / "reg"};
  testing_support::ScopedEnv runtime{"XDG_RUNTIME_DIR", dir.path()};
  const std::uint64_t handle = static_cast<std::uint64_t>(platform::CurrentProcessId());
  platform::FakeClock clock;
  platform::FakeHotKeys hotKeys;
  platform::FakeDesktop desktop;
  platform::FakeInput input;
  platform::FakeCpuProbe cpu;
  platform::ScriptedDialogs dialogs;
  std::unique_ptr<platform::MessagePortWatch> port;
  std::unique_ptr<TFMain> FMain;
  std::unique_ptr<TFRating> FRating;
};
