#include <gtest/gtest.h>

#include "platform/process.h"
#include "platform/registry_store.h"
#include "tests/support/test_support.h"

using platform::Hive;
using platform::RegValue;
using testing_support::TempDir;

namespace {

struct Result {
  int status;
  std::string out, err;
};

class RegistryToolTest : public ::testing::Test {
 protected:
  Result Run(const std::vector<std::string>& args) {
    std::string command = "exec \"$0\" \"$@\" >" + dir / "out" + " 2>" + dir / "err";
    std::vector<std::string> argv = {"/bin/sh", "-c", command, SPARKLETIDE_REG};
    argv.insert(argv.end(), args.begin(), args.end());
    const int status = platform::ChildProcess::Spawn(argv).Wait();
    return {status, testing_support::ReadFileBytes(dir / "out"),
            testing_support::ReadFileBytes(dir / "err")};
  }

  TempDir dir;
  testing_support::ScopedEnv env{"SPARKLETIDE_REGISTRY", dir / "reg"};
};

TEST_F(RegistryToolTest, SetGetAndListTheSettingsKey) {
  EXPECT_EQ(Run({"set", "ELogLevel", "2"}).status, 0);
  EXPECT_EQ(Run({"set", "ELogFileName", "/tmp/a b.log"}).status, 0);
  const Result get = Run({"get", "ELogLevel"});
  EXPECT_EQ(get.status, 0);
  EXPECT_EQ(get.out, "2\n");
  EXPECT_EQ(Run({"list"}).out, "ELogLevel=2\nELogFileName=/tmp/a b.log\n");
}

TEST_F(RegistryToolTest, OtherHiveAndKey) {
  EXPECT_EQ(
      Run({"--hive", "HKLM", "--key", "Software\\Uninstall\\sparkletide", "set", "A", "x"}).status,
      0);
  platform::RegistryStore store(dir / "reg");
  EXPECT_EQ(store.Read(Hive::LocalMachine, "Software\\Uninstall\\sparkletide", "A"),
            RegValue::String("x"));
  EXPECT_FALSE(store.KeyExists(Hive::CurrentUser, "Software\\Uninstall\\sparkletide"));
}

TEST_F(RegistryToolTest, ErrorsGiveOneLineAndStatusOne) {
  const Result cases[] = {Run({"get", "Missing"}), Run({"--hive", "HKXX", "list"}),
                          Run({"frobnicate"})};
  for (const Result& r : cases) {
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("sparkletide-reg: ", 0), 0u) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  }
}

}  // namespace
