#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "common/uUtils.h"
#include "platform/datetime.h"
#include "platform/registry_store.h"
#include "tests/support/test_support.h"

using testing_support::Exists;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

TEST(Texts, PadId) {
  EXPECT_EQ(PadId(1234), "00001234");
  EXPECT_EQ(PadId(0), "00000000");
  EXPECT_EQ(PadId(123456789), "123456789");
  EXPECT_EQ(PadId(-5), "000000-5");
}

TEST(Texts, SizeText) {
  const std::pair<std::int64_t, const char*> cases[] = {
      {0, "0 b"},          {1023, "1023 b"},
      {1024, "1 Kb"},      {10485760, "10240 Kb"},
      {10485761, "10 Mb"}, {20ll * 1024 * 1024, "20 Mb"},
  };
  for (const auto& [bytes, text] : cases) EXPECT_EQ(SizeText(bytes), text) << bytes;
}

TEST(Texts, CRC32Text) {
  EXPECT_EQ(CRC32Text("abc"), "352441C2");
  EXPECT_EQ(CRC32Text(""), "00000000");
  EXPECT_EQ(CRC32Text("The quick brown fox jumps over the lazy dog"), "414FA339");
  EXPECT_EQ(CRC32Text("\x01"), "A505DF1B");  // leading zeros kept to eight digits
}

TEST(Texts, FileCRCText) {
  TempDir dir;
  WriteFileBytes(dir / "f", "abc");
  WriteFileBytes(dir / "empty", "");
  EXPECT_EQ(FileCRCText(dir / "f"), "352441C2");
  EXPECT_EQ(FileCRCText(dir / "empty"), "00000000");
  EXPECT_THROW(FileCRCText(dir / "missing"), std::runtime_error);
}

TEST(Texts, BoolAndReplace) {
  EXPECT_EQ(BoolText(true), "true");
  EXPECT_EQ(BoolText(false), "false");
  EXPECT_EQ(ReplaceChar("a\\b\\c", '\\', '/'), "a/b/c");
}

TEST(Texts, StrToDateTimeOr0) {
  auto at = [](int y, int m, int d, int h = 0, int n = 0, int s = 0) {
    return *platform::EncodeDateTime({y, m, d, h, n, s, 0});
  };
  const std::pair<const char*, double> cases[] = {
      {"11.12.2026", at(2026, 12, 11)},
      {"1.2.2003 10:05", at(2003, 2, 1, 10, 5)},
      {"01.02.2003 10:05:07", at(2003, 2, 1, 10, 5, 7)},
      {" 29.02.2024  23:59:59 ", at(2024, 2, 29, 23, 59, 59)},
      {"1.1.30", at(2030, 1, 1)},
      {"1.1.80", at(1980, 1, 1)},
      {"", 0},
      {"29.02.2023", 0},
      {"32.01.2020", 0},
      {"01.01.2020 24:00", 0},
      {"01.01.2020 10", 0},
      {"2020-01-01", 0},
      {"01.01.2020x", 0},
      {"01.01.2020 10:00 extra", 0},
  };
  for (const auto& [text, value] : cases) EXPECT_DOUBLE_EQ(StrToDateTimeOr0(text), value) << text;
}

TEST(Texts, StrToIntDef) {
  const std::pair<const char*, int> cases[] = {
      {"12", 12},
      {" 7", 7},
      {"-3", -3},
      {"+4", 4},
      {"$1F", 31},
      {"0x10", 16},
      {"$FFFFFFFF", -1},
      {"", -99},
      {"7 ", -99},
      {"1.5", -99},
      {"abc", -99},
      {"2147483648", -99},
      {"-2147483648", INT32_MIN},
      {"$", -99},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(StrToIntDef(text, -99), value) << text;
}

TEST(Files, FileFoundOnFilesFoldersAndWildcards) {
  TempDir dir;
  WriteFileBytes(dir / "a.txt", "x");
  std::filesystem::create_directory(dir / "sub");
  EXPECT_TRUE(FileFound(dir / "a.txt"));
  EXPECT_TRUE(FileFound(dir / "sub"));
  EXPECT_TRUE(FileFound(dir / "*.txt"));
  EXPECT_TRUE(FileFound(dir / "*.*"));
  EXPECT_FALSE(FileFound(dir / "*.zip"));
  EXPECT_FALSE(FileFound(dir / "b.txt"));
  EXPECT_FALSE(FileFound(""));
}

TEST(Files, DeleteDirRemovesEverythingItMay) {
  TempDir dir;
  const std::string root = dir / "prog/";
  std::filesystem::create_directories(root + "Objects/00000001/img");
  WriteFileBytes(root + "a.log", "x");
  WriteFileBytes(root + ".hiddenfile", "x");
  WriteFileBytes(root + "Objects/00000001/img/p.png", "x");
  // A link to a folder outside is removed, never followed.
  std::filesystem::create_directory(dir / "outside");
  WriteFileBytes(dir / "outside/keep", "x");
  std::filesystem::create_directory_symlink(dir / "outside", root + "link");
  DeleteDir(root, "*.*");
  EXPECT_FALSE(Exists(root));
  EXPECT_TRUE(Exists(dir / "outside/keep"));
}

TEST(Files, DeleteDirLeavesHiddenAndReadOnlyFoldersAndTheirParent) {
  TempDir dir;
  const std::string root = dir / "prog/";
  std::filesystem::create_directories(root + ".hidden");
  WriteFileBytes(root + ".hidden/f", "x");
  std::filesystem::create_directories(root + "locked");
  WriteFileBytes(root + "locked/f", "x");
  chmod((root + "locked").c_str(), 0555);
  WriteFileBytes(root + "readonly.txt", "x");
  chmod((root + "readonly.txt").c_str(), 0444);
  WriteFileBytes(root + "plain.txt", "x");
  DeleteDir(root, "*.*");
  EXPECT_TRUE(Exists(root + ".hidden/f"));
  EXPECT_TRUE(Exists(root + "locked/f"));
  EXPECT_TRUE(Exists(root + "readonly.txt"));
  EXPECT_FALSE(Exists(root + "plain.txt"));
  EXPECT_TRUE(Exists(root));
}

TEST(Files, DeleteDirWithAMaskDeletesOnlyMatches) {
  TempDir dir;
  const std::string root = dir / "zip/";
  std::filesystem::create_directories(root);
  WriteFileBytes(root + "00000001.zip", "x");
  WriteFileBytes(root + "ObjList.db", "x");
  DeleteDir(root, "*.zip");
  EXPECT_FALSE(Exists(root + "00000001.zip"));
  EXPECT_TRUE(Exists(root + "ObjList.db"));
}

TEST(Files, AppendLineAddsCrLfAndSwallowsFailures) {
  TempDir dir;
  AppendLine(dir / "log.txt", "first");
  AppendLine(dir / "log.txt", "second\nspill");
  EXPECT_EQ(testing_support::ReadFileBytes(dir / "log.txt"), "first\r\nsecond\nspill\r\n");
  AppendLine(dir / "missing/folder/log.txt", "lost");  // no exception
  EXPECT_FALSE(Exists(dir / "missing"));
}

class SettingsKeyTest : public ::testing::Test {
 protected:
  TempDir dir;
  testing_support::ScopedEnv env{"SPARKLETIDE_REGISTRY", dir / "reg"};
};

TEST_F(SettingsKeyTest, ReadGivesDefaultForMissingOrEmptyAndRaisesForOtherTypes) {
  EXPECT_EQ(RegRead("ELogLevel", "1"), "1");
  RegWrite("ELogLevel", "2");
  EXPECT_EQ(RegRead("ELogLevel", "1"), "2");
  RegWrite("ELogLevel", "");
  EXPECT_EQ(RegRead("ELogLevel", "1"), "1");
  platform::RegistryStore::Default().Write(platform::Hive::CurrentUser, kClientKey, "Count",
                                           platform::RegValue::DWord(5));
  EXPECT_THROW(RegRead("Count", "0"), platform::RegistryError);
}

TEST_F(SettingsKeyTest, UninstallPiecesRemoveKeysAndTheProgramGroup) {
  testing_support::ScopedEnv data{"XDG_DATA_HOME", dir / "data"};
  auto store = platform::RegistryStore::Default();
  store.Write(platform::Hive::CurrentUser, "Software\\sparkletide", "Other",
              platform::RegValue::String("stays"));
  RegWrite("ELogLevel", "2");
  store.Write(platform::Hive::LocalMachine, kUninstallKey, "DisplayName",
              platform::RegValue::String("Sparkletide"));
  std::filesystem::create_directories(ProgramsFolder() + "/sparkletide");
  WriteFileBytes(ProgramsFolder() + "/sparkletide/sparkletide.desktop", "[Desktop Entry]\n");
  WriteFileBytes(ProgramsFolder() + "/other.desktop", "[Desktop Entry]\n");

  DeleteClientKey();
  DeleteUninstallKey();
  DeleteProgramGroup();

  EXPECT_FALSE(store.KeyExists(platform::Hive::CurrentUser, kClientKey));
  EXPECT_TRUE(store.KeyExists(platform::Hive::CurrentUser, "Software\\sparkletide"));
  EXPECT_FALSE(store.KeyExists(platform::Hive::LocalMachine, kUninstallKey));
  EXPECT_FALSE(Exists(ProgramsFolder() + "/sparkletide"));
  EXPECT_TRUE(Exists(ProgramsFolder() + "/other.desktop"));
}

TEST(Uninstall, SelfDeleteScriptQuotesTheFolderSafely) {
  TempDir dir;
  const std::string folder = dir / "it's $(here)/";
  std::filesystem::create_directories(folder);
  WriteFileBytes(folder + "f", "x");
  // The script waits for this process to end; check what it would run.
  SelfDeleteBatch(folder);
  const std::string script = testing_support::ReadFileBytes(dir / "pdel.sh");
  EXPECT_NE(script.find("rm -rf '" + dir.path() + "it'\\''s $(here)/'"), std::string::npos)
      << script;
  EXPECT_NE(script.find("rm -f '" + dir.path() + "pdel.sh'"), std::string::npos) << script;
  EXPECT_TRUE(Exists(folder + "f"));
}

}  // namespace
