#include <sys/stat.h>

#include <system_error>

#include <gtest/gtest.h>

#include "platform/named_mutex.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "tests/support/test_support.h"

using platform::NamedMutex;
using testing_support::TempDir;

namespace {

class NamedMutexTest : public ::testing::Test {
 protected:
  TempDir runtime;
  testing_support::ScopedEnv env{"XDG_RUNTIME_DIR", runtime.path()};
};

TEST_F(NamedMutexTest, OnlyOneHolderAtATime) {
  EXPECT_FALSE(NamedMutex::IsHeld("1.139"));
  NamedMutex first = NamedMutex::Create("1.139");
  ASSERT_TRUE(first.held());
  EXPECT_TRUE(NamedMutex::IsHeld("1.139"));
  EXPECT_FALSE(NamedMutex::IsHeld("1.140"));  // another version is another mutex
  EXPECT_FALSE(NamedMutex::Create("1.139").held());
  first.Release();
  EXPECT_FALSE(NamedMutex::IsHeld("1.139"));
  EXPECT_TRUE(NamedMutex::Create("1.139").held());
}

TEST_F(NamedMutexTest, FreedWhenTheHoldingProcessDies) {
  const std::string lockFile = platform::JoinPath(platform::RuntimeDir(), "1.139.lock");
  auto holder = platform::ChildProcess::Spawn({"/usr/bin/flock", "-x", lockFile, "sleep", "60"});
  ASSERT_TRUE(testing_support::WaitUntil([] { return NamedMutex::IsHeld("1.139"); }));
  EXPECT_FALSE(NamedMutex::Create("1.139").held());
  holder.Terminate();
  EXPECT_TRUE(testing_support::WaitUntil([] { return !NamedMutex::IsHeld("1.139"); }));
}

TEST_F(NamedMutexTest, RefusesALockFolderOthersCanWriteTo) {
  // Someone has made the folder first and left it open to everyone.
  const std::string folder = runtime / "sparkletide";
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  ASSERT_EQ(chmod(folder.c_str(), 0777), 0);
  EXPECT_THROW(NamedMutex::Create("1.139"), std::system_error);
  EXPECT_FALSE(testing_support::Exists(folder + "/1.139.lock"));
}

}  // namespace
