#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <regex>

#include <gtest/gtest.h>

#include "agent/event_log.h"
#include "common/uUtils.h"
#include "platform/registry_store.h"
#include "tests/support/test_support.h"

using testing_support::Exists;
using testing_support::ReadFileBytes;
using testing_support::TempDir;

namespace {

class EventLogTest : public ::testing::Test {
 protected:
  void SetUp() override { SetAppDir(dir.path()); }
  std::string Log() {
    return Exists(dir / "sparkletide.log") ? ReadFileBytes(dir / "sparkletide.log") : "";
  }

  TempDir dir;
  testing_support::ScopedEnv env{"SPARKLETIDE_REGISTRY", dir / "reg"};
};

TEST_F(EventLogTest, LineIsTimeStampBlankTextCrLf) {
  WriteLog("Start the program /x/sparkletide", 1);
  EXPECT_TRUE(std::regex_match(
      Log(),
      std::regex(R"(\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d Start the program /x/sparkletide\r\n)")))
      << Log();
}

TEST_F(EventLogTest, WritesRecordsUpToTheConfiguredLevel) {
  struct Case {
    const char* configured;
    std::string expected;
  };
  const Case cases[] = {{"0", "L0"}, {"1", "L0L1"}, {"2", "L0L1L2"}, {"", "L0L1"}, {"x", "L0L1"}};
  for (const Case& c : cases) {
    unlink((dir / "sparkletide.log").c_str());
    RegWrite("ELogLevel", c.configured);
    for (int level = 0; level <= 2; ++level) WriteLog("L" + std::to_string(level), level);
    std::string texts;
    for (const std::string l : {"L0", "L1", "L2"})
      if (Log().find(" " + l + "\r\n") != std::string::npos) texts += l;
    EXPECT_EQ(texts, c.expected) << "ELogLevel " << c.configured;
  }
}

TEST_F(EventLogTest, FollowsTheStoredSettingsAtEveryCall) {
  WriteLog("before", 1);
  RegWrite("ESaveLog", "0");
  WriteLog("off", 0);
  RegWrite("ESaveLog", "1");
  RegWrite("ELogFileName", dir / "other.log");
  WriteLog("elsewhere", 1);
  EXPECT_NE(Log().find(" before\r\n"), std::string::npos);
  EXPECT_EQ(Log().find("off"), std::string::npos);
  EXPECT_EQ(Log().find("elsewhere"), std::string::npos);
  EXPECT_NE(ReadFileBytes(dir / "other.log").find(" elsewhere\r\n"), std::string::npos);
}

TEST_F(EventLogTest, FailuresLoseTheLineSilently) {
  RegWrite("ELogFileName", dir / "no/such/folder/x.log");
  WriteLog("lost", 0);
  EXPECT_FALSE(Exists(dir / "no"));

  // A file that another writer holds loses the line.
  RegWrite("ELogFileName", dir / "held.log");
  const int fd = open((dir / "held.log").c_str(), O_WRONLY | O_CREAT, 0644);
  ASSERT_EQ(flock(fd, LOCK_EX), 0);
  WriteLog("while held", 0);
  close(fd);
  WriteLog("after", 0);
  const std::string held = ReadFileBytes(dir / "held.log");
  EXPECT_EQ(held.find("while held"), std::string::npos);
  EXPECT_NE(held.find(" after\r\n"), std::string::npos);

  // A setting of the wrong type is an error of the store; the log swallows it.
  platform::RegistryStore::Default().Write(platform::Hive::CurrentUser, kClientKey, "ELogLevel",
                                           platform::RegValue::DWord(2));
  WriteLog("unreadable level", 0);
}

}  // namespace
