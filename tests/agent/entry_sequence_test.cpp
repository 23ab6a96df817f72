#include <sys/stat.h>

#include <filesystem>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/registry_store.h"
#include "tests/agent/agent_folder.h"

using ::testing::ElementsAre;
using ::testing::IsSubsetOf;
using testing_support::Exists;
using testing_support::ReadFileBytes;
using testing_support::ScopedEnv;
using testing_support::WaitUntil;
using testing_support::WriteFileBytes;

namespace {

class EntrySequenceTest : public ::testing::Test {
 protected:
  // Starts a normal agent and waits until it holds the instance mutex and
  // its main form has finished creating (the catalogue check is its last
  // log line), so later lines come only from what the test does.
  platform::ChildProcess StartAgent() {
    const size_t before = folder.LogTexts().size();
    platform::ChildProcess agent = folder.Start({});
    EXPECT_TRUE(WaitUntil([&] {
      const auto texts = LogSince(before);
      return folder.AgentRunning() && std::find(texts.begin(), texts.end(), "Check objects list") != texts.end();
    }));
    return agent;
  }

  // Ends a child agent the way a logout or `kill` does.
  void Stop(platform::ChildProcess& agent) {
    kill(agent.pid(), SIGTERM);
    EXPECT_EQ(agent.Wait(), 0);
  }

  std::vector<std::string> LogSince(size_t count) {
    const auto texts = folder.LogTexts();
    return {texts.begin() + static_cast<long>(std::min(count, texts.size())), texts.end()};
  }

  AgentFolder folder;
  const std::string start = "Start the program " + folder.exe();
  const std::string terminate = "Terminate the program " + folder.exe();
};

TEST_F(EntrySequenceTest, NormalStartCreatesTheFoldersAndEndsInOrderOnSigterm) {
  platform::ChildProcess agent = StartAgent();
  EXPECT_TRUE(
      WaitUntil([&] { return std::filesystem::is_directory(folder.prog() + "Objects/ZIP"); }));
  Stop(agent);
  // The main form is destroyed after the way out, saving the catalogue.
  EXPECT_THAT(folder.LogTexts(), ElementsAre(start, "Start", "Check objects list", terminate,
                                             "Save objects DB", "Exit"));
  EXPECT_FALSE(folder.AgentRunning());
}

TEST_F(EntrySequenceTest, SecondCopyWritesThreeLinesAndEnds) {
  platform::ChildProcess agent = StartAgent();
  const size_t before = folder.LogTexts().size();
  EXPECT_EQ(folder.Run({}), 0);
  EXPECT_THAT(LogSince(before),
              ElementsAre(start, "This is a second copy of program in memory.", terminate));
  EXPECT_TRUE(agent.StillActive());
  Stop(agent);
}

TEST_F(EntrySequenceTest, ReloadWaitsForTheRunningCopyThenStarts) {
  platform::ChildProcess old = StartAgent();
  platform::ChildProcess reloaded = folder.Start({"reload"});
  ASSERT_TRUE(folder.WaitForLog("Wait for terminate old copy of the program " + folder.exe()));
  EXPECT_TRUE(reloaded.StillActive());
  Stop(old);
  ASSERT_TRUE(folder.WaitForLog("OK, old copy of program " + folder.exe() + " is termainated"));
  EXPECT_TRUE(WaitUntil([&] { return folder.AgentRunning(); }));
  EXPECT_TRUE(reloaded.StillActive());
  Stop(reloaded);
}

TEST_F(EntrySequenceTest, ParametersOtherThanTheKnownOnesEndAtTheDispatch) {
  for (const char* parameter : {"Reload", "x", ""}) {
    const size_t before = folder.LogTexts().size();
    EXPECT_EQ(folder.Run({parameter}), 0) << parameter;
    EXPECT_THAT(LogSince(before), ElementsAre(start, terminate)) << parameter;
  }
  EXPECT_FALSE(Exists(folder.prog() + "Objects"));
}

TEST_F(EntrySequenceTest, FolderThatCannotBeCreatedIsReportedAndEnds) {
  WriteFileBytes(folder.prog() + "Objects", "a file where the folder belongs");
  ScopedEnv answers("SPARKLETIDE_SCRIPTED_DIALOGS", "ok");
  EXPECT_EQ(folder.Run({}), 1);
  const auto texts = folder.LogTexts();
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_THAT(texts[1],
              ::testing::StartsWith("Cannot create the folder " + folder.prog() + "Objects/"));
  EXPECT_EQ(texts[2], terminate);
  EXPECT_THAT(folder.Stderr(), ::testing::HasSubstr("dialog: Cannot create the folder"));
  EXPECT_FALSE(folder.AgentRunning());
}

TEST_F(EntrySequenceTest, WithoutADisplayTheAgentSaysSoAndEnds) {
  ScopedEnv noPlatform("QT_QPA_PLATFORM", "");
  ScopedEnv noX("DISPLAY", "");
  ScopedEnv noWayland("WAYLAND_DISPLAY", "");
  EXPECT_EQ(folder.Run({}), 1);
  EXPECT_THAT(
      folder.LogTexts(),
      ElementsAre(start, "Cannot start the agent: no display (DISPLAY is not set)", terminate));
}

// --- self-update swap -------------------------------------------------------

class SwapTest : public EntrySequenceTest {
 protected:
  // A new version: the real agent with a marker appended, so its bytes differ.
  std::string MakeNewVersion() {
    const std::string bytes = ReadFileBytes(folder.exe()) + "new version marker";
    WriteFileBytes(folder.prog() + "pnew", bytes);
    chmod((folder.prog() + "pnew").c_str(), 0755);
    return bytes;
  }

  // Waits for the agent that the last hop started and stops it.
  void StopSwappedAgent() {
    ASSERT_TRUE(WaitUntil([&] { return folder.AgentRunning(); }));
    const auto agents = folder.RunningAgents();
    ASSERT_EQ(agents.size(), 1u);
    ASSERT_TRUE(folder.StopAgent(agents[0]));
  }

  std::string pnew = folder.prog() + "pnew";
  std::string tmpcopy = folder.prog() + "tmpcopy";
};

TEST_F(SwapTest, LeftoversOfAnUnfinishedSwapAreDeleted) {
  WriteFileBytes(pnew, "half");
  WriteFileBytes(tmpcopy, "half");
  const std::string old = ReadFileBytes(folder.exe());
  platform::ChildProcess agent = StartAgent();
  EXPECT_FALSE(Exists(pnew));
  EXPECT_FALSE(Exists(tmpcopy));
  EXPECT_EQ(ReadFileBytes(folder.exe()), old);
  EXPECT_TRUE(folder.LogHas("Delete temporary copy of the new agent's version"));
  Stop(agent);
}

TEST_F(SwapTest, ThreeHopsReplaceTheExecutableAndStartTheNewOne) {
  const std::string newVersion = MakeNewVersion();
  platform::ChildProcess hop1 = folder.Start({});
  EXPECT_EQ(hop1.Wait(), 0);
  ASSERT_TRUE(folder.WaitForLog("Delete the " + pnew));
  StopSwappedAgent();

  EXPECT_EQ(ReadFileBytes(folder.exe()), newVersion);
  EXPECT_EQ(
      std::filesystem::status(folder.exe()).permissions() & std::filesystem::perms::owner_exec,
      std::filesystem::perms::owner_exec);
  EXPECT_FALSE(Exists(pnew));
  EXPECT_FALSE(Exists(tmpcopy));
  const std::vector<std::string> hops = {
      "Copy new version of agent from " + pnew + " to " + tmpcopy,
      "Execution a new version of agent " + pnew + " in hide mode",
      "Start the program " + pnew,
      "Wait for terminate the " + folder.exe(),
      "Delete the file " + folder.exe(),
      "Copy the file " + tmpcopy + " to " + folder.exe(),
      "Delete the " + tmpcopy,
      "Execute the " + folder.exe(),
      "Terminate the program " + pnew,
      "Wait for terminate the " + pnew,
      "Delete the " + pnew,
  };
  const auto texts = folder.LogTexts();
  // The hops' lines appear in this order (other lines may come between).
  auto at = texts.begin();
  for (const std::string& hop : hops) {
    at = std::find(at, texts.end(), hop);
    ASSERT_NE(at, texts.end()) << "missing or out of order: " << hop;
  }
  EXPECT_THAT(std::vector<std::string>(texts.end() - 3, texts.end()),
              ElementsAre(terminate, "Save objects DB", "Exit"));
}

TEST_F(SwapTest, MissingCopyAtHop2KeepsTheOldExecutable) {
  MakeNewVersion();
  const std::string old = ReadFileBytes(folder.exe());
  platform::ChildProcess hop2 = folder.Start({"n"}, "pnew");
  EXPECT_EQ(hop2.Wait(), 0);
  ASSERT_TRUE(folder.WaitForLog("Delete the " + pnew));
  StopSwappedAgent();
  EXPECT_EQ(ReadFileBytes(folder.exe()), old);
  const auto texts = folder.LogTexts();
  EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [&](const std::string& t) {
    return t.rfind("Cannot read " + tmpcopy, 0) == 0;
  }));
  EXPECT_FALSE(folder.LogHas("Delete the file " + folder.exe()));
}

TEST_F(SwapTest, Hop3BehavesAsSecondCopyWhenAnotherAgentHoldsTheMutex) {
  platform::ChildProcess running = StartAgent();
  const size_t before = folder.LogTexts().size();
  EXPECT_EQ(folder.Run({"d"}), 0);
  EXPECT_THAT(LogSince(before),
              ElementsAre(start, "This is a second copy of program in memory.",
                          "Wait for terminate the " + pnew,
                          "This is a second copy of program in memory.", terminate));
  Stop(running);
}

// --- uninstall ----------------------------------------------------------------

class UninstallTest : public EntrySequenceTest {
 protected:
  void SetUp() override {
    store.Write(platform::Hive::CurrentUser, "Software\\sparkletide\\Client", "ELogLevel",
                platform::RegValue::String("1"));
    store.Write(platform::Hive::LocalMachine, "Software\\Uninstall\\sparkletide", "DisplayName",
                platform::RegValue::String("Sparkletide"));
    std::filesystem::create_directories(autostart);
    WriteFileBytes(autostart + "sparkletide.desktop", "[Desktop Entry]\n");
    std::filesystem::create_directories(group);
    WriteFileBytes(group + "sparkletide.desktop", "[Desktop Entry]\n");
    std::filesystem::create_directories(folder.prog() + "Objects/ZIP");
  }

  bool EverythingInPlace() {
    return store.KeyExists(platform::Hive::CurrentUser, "Software\\sparkletide\\Client") &&
           store.KeyExists(platform::Hive::LocalMachine, "Software\\Uninstall\\sparkletide") &&
           Exists(autostart + "sparkletide.desktop") && Exists(group) && Exists(folder.prog());
  }

  platform::RegistryStore store{folder.root("reg")};
  std::string autostart = folder.root("config/autostart/");
  std::string group = folder.root("data/applications/sparkletide/");
};

TEST_F(UninstallTest, OkRemovesSettingsShortcutsAndTheProgramFolder) {
  ScopedEnv answers("SPARKLETIDE_SCRIPTED_DIALOGS", "ok");
  EXPECT_EQ(folder.Run({"uninstall"}), 0);
  EXPECT_THAT(folder.Stderr(),
              ::testing::HasSubstr("dialog: Do you want uninstall sparkletide agent?"));
  EXPECT_FALSE(store.KeyExists(platform::Hive::CurrentUser, "Software\\sparkletide\\Client"));
  EXPECT_FALSE(store.KeyExists(platform::Hive::LocalMachine, "Software\\Uninstall\\sparkletide"));
  EXPECT_FALSE(Exists(autostart + "sparkletide.desktop"));
  EXPECT_FALSE(Exists(group));
  // The script removes the folder once the agent has ended, then itself.
  EXPECT_TRUE(WaitUntil([&] { return !Exists(folder.prog()) && !Exists(folder.root("pdel.sh")); }));
}

TEST_F(UninstallTest, CancelEndsWithoutStartingTheAgent) {
  ScopedEnv answers("SPARKLETIDE_SCRIPTED_DIALOGS", "cancel");
  EXPECT_EQ(folder.Run({"uninstall"}), 0);
  EXPECT_TRUE(EverythingInPlace());
  EXPECT_THAT(folder.LogTexts(), ElementsAre(start, terminate));
  EXPECT_FALSE(folder.AgentRunning());
}

TEST_F(UninstallTest, RefusedWhileTheAgentRuns) {
  platform::ChildProcess agent = StartAgent();
  const size_t before = folder.LogTexts().size();
  ScopedEnv answers("SPARKLETIDE_SCRIPTED_DIALOGS", "ok");
  EXPECT_EQ(folder.Run({"uninstall"}), 0);
  EXPECT_THAT(folder.Stderr(),
              ::testing::HasSubstr("dialog: You must close application sparkletide before"));
  EXPECT_THAT(LogSince(before), ElementsAre(start));
  EXPECT_TRUE(EverythingInPlace());
  Stop(agent);
}

}  // namespace
