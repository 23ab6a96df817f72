#include <signal.h>
#include <unistd.h>

#include <fstream>

#include <gtest/gtest.h>

#include "platform/process.h"
#include "tests/support/test_support.h"

using platform::ChildProcess;
using testing_support::TempDir;
using testing_support::WaitUntil;

namespace {

bool Alive(pid_t pid) {
  return kill(pid, 0) == 0;
}

pid_t ReadPid(const std::string& file) {
  pid_t pid = 0;
  WaitUntil([&] {
    std::ifstream in(file);
    return static_cast<bool>(in >> pid);
  });
  return pid;
}

// Parent process id of `pid`, from /proc.
pid_t ParentOf(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(in, line);
  const size_t close = line.rfind(')');
  pid_t parent = 0;
  char state;
  std::istringstream rest(line.substr(close + 2));
  rest >> state >> parent;
  return parent;
}

TEST(ChildProcess, ReportsExitStatusAndWhetherItRuns) {
  auto quick = ChildProcess::Spawn({"/bin/sh", "-c", "exit 3"});
  EXPECT_EQ(quick.Wait(), 3);
  EXPECT_FALSE(quick.StillActive());

  auto slow = ChildProcess::Spawn({"/bin/sleep", "60"});
  EXPECT_TRUE(slow.StillActive());
  slow.Terminate();
  EXPECT_FALSE(slow.StillActive());
  EXPECT_EQ(slow.Wait(), 128 + SIGKILL);
}

TEST(ChildProcess, MissingProgramRaises) {
  EXPECT_THROW(ChildProcess::Spawn({"/nonexistent/program"}), std::system_error);
}

TEST(ChildProcess, TerminateEndsTheHelpersItStarted) {
  TempDir dir;
  auto child =
      ChildProcess::Spawn({"/bin/sh", "-c", "sleep 60 & echo $! > " + dir / "helper" + "; wait"});
  const pid_t helper = ReadPid(dir / "helper");
  ASSERT_GT(helper, 0);
  ASSERT_TRUE(Alive(helper));
  child.Terminate();
  EXPECT_TRUE(WaitUntil([&] { return !Alive(helper); }));
}

TEST(ChildProcess, EndedChildIsReapedNotLeftAsZombie) {
  auto child = ChildProcess::Spawn({"/bin/true"});
  const pid_t pid = child.pid();
  ASSERT_TRUE(WaitUntil([&] { return !child.StillActive(); }));
  EXPECT_FALSE(Alive(pid));  // kill(0) fails only once the zombie is reaped
}

TEST(LaunchDetached, StartsAProgramThatIsNotOurChild) {
  TempDir dir;
  std::string error;
  ASSERT_TRUE(platform::LaunchDetached({"/bin/sh", "-c", "echo $$ > " + dir / "pid" + "; sleep 60"},
                                       &error))
      << error;
  const pid_t pid = ReadPid(dir / "pid");
  ASSERT_GT(pid, 0);
  EXPECT_NE(ParentOf(pid), getpid());
  EXPECT_NE(getsid(pid), getsid(0));
  kill(pid, SIGKILL);
}

TEST(LaunchDetached, MissingProgramIsReported) {
  std::string error;
  EXPECT_FALSE(platform::LaunchDetached({"/nonexistent/program", "n"}, &error));
  EXPECT_NE(error.find("/nonexistent/program"), std::string::npos);
}

TEST(ProcessesRunning, FindsProcessesOfOneExecutable) {
  TempDir dir;
  const std::string copy = dir / "sleeper";
  testing_support::WriteFileBytes(copy, testing_support::ReadFileBytes("/bin/sleep"));
  chmod(copy.c_str(), 0755);
  EXPECT_TRUE(platform::ProcessesRunning(copy).empty());
  auto child = ChildProcess::Spawn({copy, "60"});
  EXPECT_TRUE(WaitUntil([&] {
    const auto found = platform::ProcessesRunning(copy);
    return found.size() == 1 && found[0] == child.pid();
  }));
  child.Terminate();
  EXPECT_TRUE(platform::ProcessesRunning(copy).empty());
}

}  // namespace
