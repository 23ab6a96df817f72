#include <signal.h>

#include <random>
#include <thread>

#include <gtest/gtest.h>

#include "platform/process.h"
#include "platform/registry_store.h"
#include "tests/support/test_support.h"

using platform::Hive;
using platform::RegistryError;
using platform::RegistryStore;
using platform::RegValue;
using testing_support::TempDir;

namespace {

const std::string kKey = "Software\\sparkletide\\Client";

TEST(RegistryStore, ValuesSurviveReopeningWithTheirTypes) {
  TempDir dir;
  {
    RegistryStore store(dir.path());
    store.Write(Hive::CurrentUser, kKey, "Text",
                RegValue::String("a \"quoted\"\\ line\nnext\x01\xe9"));
    store.Write(Hive::CurrentUser, kKey, "Number", RegValue::DWord(0xDEADBEEF));
    store.Write(Hive::LocalMachine, kKey, "Text", RegValue::String("machine"));
  }
  RegistryStore again(dir.path());
  EXPECT_EQ(again.Read(Hive::CurrentUser, kKey, "Text"),
            RegValue::String("a \"quoted\"\\ line\nnext\x01\xe9"));
  EXPECT_EQ(again.Read(Hive::CurrentUser, kKey, "Number"), RegValue::DWord(0xDEADBEEF));
  EXPECT_EQ(again.Read(Hive::LocalMachine, kKey, "Text"), RegValue::String("machine"));
  EXPECT_EQ(again.Read(Hive::CurrentUser, kKey, "Missing"), std::nullopt);
  EXPECT_EQ(again.Read(Hive::CurrentUser, "Software\\Other", "Text"), std::nullopt);
}

TEST(RegistryStore, NamesMatchWithoutRegardToCase) {
  TempDir dir;
  RegistryStore store(dir.path());
  store.Write(Hive::CurrentUser, kKey, "ELogLevel", RegValue::String("1"));
  store.Write(Hive::CurrentUser, "software\\SPARKLETIDE\\client", "elogLEVEL",
              RegValue::String("2"));
  const auto values = store.Values(Hive::CurrentUser, kKey);
  ASSERT_EQ(values.size(), 1u);
  EXPECT_EQ(values[0].first, "ELogLevel");
  EXPECT_EQ(values[0].second, RegValue::String("2"));
}

TEST(RegistryStore, DeleteKeyTakesSubkeysAndLeavesTheParent) {
  TempDir dir;
  RegistryStore store(dir.path());
  store.Write(Hive::CurrentUser, "Software\\sparkletide", "Keep", RegValue::String("1"));
  store.Write(Hive::CurrentUser, kKey, "A", RegValue::String("1"));
  store.Write(Hive::CurrentUser, kKey + "\\Sub", "B", RegValue::String("2"));
  store.Write(Hive::CurrentUser, "Software\\sparkletide\\ClientOther", "C", RegValue::String("3"));
  store.DeleteKey(Hive::CurrentUser, kKey);
  EXPECT_FALSE(store.KeyExists(Hive::CurrentUser, kKey));
  EXPECT_FALSE(store.KeyExists(Hive::CurrentUser, kKey + "\\Sub"));
  EXPECT_TRUE(store.KeyExists(Hive::CurrentUser, "Software\\sparkletide"));
  EXPECT_TRUE(store.KeyExists(Hive::CurrentUser, "Software\\sparkletide\\ClientOther"));
  store.DeleteKey(Hive::CurrentUser, "Software\\Missing");  // no error
}

TEST(RegistryStore, DamagedHiveIsReportedAndNeverOverwritten) {
  TempDir dir;
  RegistryStore store(dir.path());
  const std::string damaged = "[Software\\sparkletide\\Client]\n\"A\"=\"1\"\ngarbage line\n";
  testing_support::WriteFileBytes(store.HivePath(Hive::CurrentUser), damaged);
  try {
    store.Read(Hive::CurrentUser, kKey, "A");
    FAIL() << "no error";
  } catch (const RegistryError& e) {
    EXPECT_NE(std::string(e.what()).find("HKCU.reg:3"), std::string::npos) << e.what();
  }
  EXPECT_THROW(store.Write(Hive::CurrentUser, kKey, "B", RegValue::String("2")), RegistryError);
  EXPECT_EQ(testing_support::ReadFileBytes(store.HivePath(Hive::CurrentUser)), damaged);
}

TEST(RegistryStore, ConcurrentWritersLoseNothing) {
  TempDir dir;
  auto writer = [&](const char* prefix) {
    return platform::ChildProcess::Spawn({REGISTRY_HAMMER, dir.path(), prefix, "150"});
  };
  auto first = writer("First");
  auto second = writer("Second");
  ASSERT_EQ(first.Wait(), 0);
  ASSERT_EQ(second.Wait(), 0);
  RegistryStore store(dir.path());
  EXPECT_EQ(store.Values(Hive::CurrentUser, kKey).size(), 300u);
  for (int i = 0; i < 150; ++i) {
    EXPECT_EQ(store.Read(Hive::CurrentUser, kKey, "First" + std::to_string(i)),
              RegValue::String(std::to_string(i)));
    EXPECT_EQ(store.Read(Hive::CurrentUser, kKey, "Second" + std::to_string(i)),
              RegValue::String(std::to_string(i)));
  }
}

TEST(RegistryStore, WriterKilledMidWriteLeavesACompleteHive) {
  TempDir dir;
  RegistryStore store(dir.path());
  const size_t size = 300000;
  store.Write(Hive::CurrentUser, kKey, "Big", RegValue::String(std::string(size, 'B')));
  std::mt19937 random(12345);
  for (int round = 0; round < 25; ++round) {
    auto child =
        platform::ChildProcess::Spawn({REGISTRY_HAMMER, dir.path(), "--big", std::to_string(size)});
    // Kill at a random moment, somewhere inside one of its rewrites.
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 40000));
    child.Terminate();
    const auto value = store.Read(Hive::CurrentUser, kKey, "Big");
    ASSERT_TRUE(value) << "round " << round;
    ASSERT_EQ(value->text.size(), size) << "round " << round;
    EXPECT_TRUE(value->text == std::string(size, 'A') || value->text == std::string(size, 'B'))
        << "round " << round;
  }
}

}  // namespace
