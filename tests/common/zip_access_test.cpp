// Zip archive access: archives made by other programs unpack, archives made
// here unpack elsewhere, and hostile entries never write outside the folder.

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>

#include "common/MiniZip.h"
#include "platform/fake/scripted_dialogs.h"
#include "tests/common/zip_fixtures.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;
using testing_support::Exists;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;
using zip_fixtures::PyStr;
using zip_fixtures::PythonZip;
using zip_fixtures::Quoted;
using zip_fixtures::RunShell;
using zip_fixtures::Tree;
using Paths = std::set<std::string>;

namespace {

std::tm LocalMTime(const std::string& path) {
  const auto sys = std::chrono::file_clock::to_sys(fs::last_write_time(path));
  const std::time_t t = std::chrono::system_clock::to_time_t(
      std::chrono::time_point_cast<std::chrono::system_clock::duration>(sys));
  return *std::localtime(&t);
}

void SetMTime(const std::string& path, int year, int month, int day, int hour, int minute,
              int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_isdst = -1;
  fs::last_write_time(path, std::chrono::file_clock::from_sys(
                                std::chrono::system_clock::from_time_t(std::mktime(&t))));
}

std::string Stamp(const std::tm& t) {
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &t);
  return text;
}

}  // namespace

TEST(ExtractZip, UnpacksPythonArchiveWithFolderEntriesAndKeepsEntryTimes) {
  TempDir dir;
  PythonZip(dir / "p.zip",
            "z.writestr(zipfile.ZipInfo('index.htm', (2004, 6, 1, 12, 30, 10)), '<html/>')\n"
            "z.writestr('img/', '')\n"
            "z.writestr('img/a.gif', bytes(range(256)) * 100)\n"
            "z.writestr('empty/', '')\n"
            "z.writestr('deep/er/x.txt', 'x' * 100000)\n"
            "z.writestr('back\\\\slash.txt', 'b')\n");
  const std::string out = dir / "X";
  WriteFileBytes(dir / "X-exists", "");  // a neighbour, to be left alone
  ASSERT_TRUE(ExtractZip(dir / "p.zip", out));

  EXPECT_EQ(Tree(out + "/"), (Paths{"back/", "back/slash.txt", "deep/", "deep/er/", "deep/er/x.txt",
                                    "empty/", "img/", "img/a.gif", "index.htm"}));
  EXPECT_EQ(ReadFileBytes(out + "/index.htm"), "<html/>");
  std::string gif;
  for (int i = 0; i < 100; ++i)
    for (int b = 0; b < 256; ++b) gif += static_cast<char>(b);
  EXPECT_EQ(ReadFileBytes(out + "/img/a.gif"), gif);
  EXPECT_EQ(ReadFileBytes(out + "/deep/er/x.txt"), std::string(100000, 'x'));
  EXPECT_EQ(Stamp(LocalMTime(out + "/index.htm")), "2004-06-01 12:30:10");
}

TEST(ExtractZip, UnpacksInfoZipArchiveAndOverwritesExistingFiles) {
  TempDir dir;
  fs::create_directories(dir / "src/img");
  WriteFileBytes(dir / "src/index.htm", "new page");
  WriteFileBytes(dir / "src/img/a.gif", std::string(70000, 'g'));
  ASSERT_EQ(RunShell("cd " + Quoted(dir / "src") + " && zip -q -r ../i.zip ."), 0);

  fs::create_directories(dir / "out");
  WriteFileBytes(dir / "out/index.htm", "old page, longer than the new one");
  ASSERT_TRUE(ExtractZip(dir / "i.zip", dir / "out/"));
  EXPECT_EQ(Tree(dir / "out/"), (Paths{"img/", "img/a.gif", "index.htm"}));
  EXPECT_EQ(ReadFileBytes(dir / "out/index.htm"), "new page");
  EXPECT_EQ(ReadFileBytes(dir / "out/img/a.gif"), std::string(70000, 'g'));
}

TEST(ExtractZip, FailsForMissingOrNonZipFileAndCreatesNothing) {
  TempDir dir;
  EXPECT_FALSE(ExtractZip(dir / "missing.zip", dir / "out"));
  WriteFileBytes(dir / "text.zip", std::string(500, 't'));
  EXPECT_FALSE(ExtractZip(dir / "text.zip", dir / "out"));
  EXPECT_FALSE(Exists(dir / "out"));
}

TEST(ExtractZip, DamagedEntryIsReportedAsFailure) {
  TempDir dir;
  // A stored entry whose data no longer matches its CRC, then a deflated entry
  // whose compressed data are garbage.
  PythonZip(dir / "crc.zip",
            "z.writestr(zipfile.ZipInfo('a.txt'), 'A' * 1000)\n"
            "z.close()\n"
            "d = bytearray(open(sys.argv[1], 'rb').read())\n"
            "d[d.index(b'AAAA') + 10] = ord('B')\n"
            "open(sys.argv[1], 'wb').write(d)\n"
            "z = zipfile.ZipFile(os.devnull, 'w')\n");
  PythonZip(dir / "inflate.zip",
            "i = zipfile.ZipInfo('b.txt')\n"
            "i.compress_type = zipfile.ZIP_DEFLATED\n"
            "z.writestr(i, os.urandom(4000) * 8)\n"
            "z.close()\n"
            "d = bytearray(open(sys.argv[1], 'rb').read())\n"
            "for k in range(60, 400): d[k] = 0xFF\n"
            "open(sys.argv[1], 'wb').write(d)\n"
            "z = zipfile.ZipFile(os.devnull, 'w')\n");
  EXPECT_FALSE(ExtractZip(dir / "crc.zip", dir / "out1"));
  EXPECT_FALSE(ExtractZip(dir / "inflate.zip", dir / "out2"));
}

TEST(ExtractZip, OptionsKeepExistingFilesAndDropFolderParts) {
  TempDir dir;
  PythonZip(dir / "p.zip", "z.writestr('a.txt', 'new')\nz.writestr('f/b.txt', 'b')\n");
  fs::create_directories(dir / "out");
  WriteFileBytes(dir / "out/a.txt", "old");
  TMiniZip zip;
  zip.SetUnzipName(dir / "p.zip");
  zip.UzOverwrite = false;
  zip.UzWithoutPath = true;
  ASSERT_TRUE(zip.ExtractAll(dir / "out"));
  EXPECT_EQ(Tree(dir / "out/"), (Paths{"a.txt", "b.txt"}));
  EXPECT_EQ(ReadFileBytes(dir / "out/a.txt"), "old");
}

// Each archive holds one hostile entry between two harmless ones.
class HostileEntry : public testing::TestWithParam<std::string> {};

TEST_P(HostileEntry, WritesNothingOutsideTheTarget) {
  TempDir root;
  const std::string target = root / "box/target/";
  fs::create_directories(target);
  std::string name = GetParam();
  const size_t abs = name.find("ROOT/");
  if (abs != std::string::npos) name.replace(abs, 5, root.path());
  PythonZip(root / "h.zip",
            "z.writestr('first.txt', '1')\n"
            "z.writestr(" +
                PyStr(name) +
                ", 'evil')\n"
                "z.writestr('last.txt', '2')\n");
  const Paths before = Tree(root.path());

  ExtractZip(root / "h.zip", target);
  Paths after = Tree(root.path());
  EXPECT_EQ(after.erase("box/target/first.txt") + after.erase("box/target/last.txt"), 2u);
  EXPECT_EQ(after, before);
}

INSTANTIATE_TEST_SUITE_P(Names, HostileEntry,
                         testing::Values("../x", "ROOT/x", "a/../../x", "a/../b/../../x", "..\\x",
                                         "\\..\\x", "a\\..\\..\\x", "\\\\..\\x", "/x", "C:\\x",
                                         ".."));

TEST(ExtractZip, NeverWritesThroughSymbolicLinks) {
  TempDir root;
  const std::string target = root / "target/";
  fs::create_directories(target);
  fs::create_directories(root / "outside");
  // An entry that is itself a link, and entries that would pass through it;
  // then entries aimed at a link already present in the folder.
  fs::create_symlink(root / "outside", target + "present");
  fs::create_symlink(root / "outside/file", target + "present-file");
  PythonZip(root / "l.zip",
            "i = zipfile.ZipInfo('lnk')\n"
            "i.create_system = 3\n"
            "i.external_attr = 0o120777 << 16\n"
            "z.writestr(i, " +
                PyStr(root / "outside") +
                ")\n"
                "z.writestr('lnk/evil.txt', 'evil')\n"
                "z.writestr('present/evil.txt', 'evil')\n"
                "z.writestr('present/sub/evil.txt', 'evil')\n"
                "z.writestr('present-file', 'evil')\n"
                "z.writestr('ok.txt', 'ok')\n");
  ExtractZip(root / "l.zip", target);
  EXPECT_EQ(Tree(root / "outside/"), Paths{});
  // The link entry itself is not made, so its name is an ordinary folder.
  EXPECT_EQ(Tree(target), (Paths{"lnk/", "lnk/evil.txt", "ok.txt", "present", "present-file"}));
  EXPECT_TRUE(fs::is_symlink(target + "present"));
}

class ZipFolderTest : public testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir_ / "fx/img/sub");
    WriteFileBytes(dir_ / "fx/index.htm", "<html>page</html>");
    WriteFileBytes(dir_ / "fx/img/a.gif", std::string(20000, 'a'));
    WriteFileBytes(dir_ / "fx/img/sub/b.txt", "b");
    SetMTime(dir_ / "fx/index.htm", 2010, 12, 31, 23, 59, 58);
  }
  TempDir dir_;
  platform::ScriptedDialogs dialogs_;
};

TEST_F(ZipFolderTest, WritesBackslashNamesAtLevelNineThatUnzipLists) {
  EXPECT_EQ(ZipFolder(dir_ / "fx/", "*.*", dir_ / "fx.zip", dialogs_), 3);
  EXPECT_TRUE(dialogs_.shown().empty());

  std::string listing;
  ASSERT_EQ(
      RunShell("python3 -c " +
                   Quoted("import sys, zipfile\n"
                          "for i in zipfile.ZipFile(sys.argv[1]).infolist():\n"
                          "  print(i.filename, i.compress_type, (i.flag_bits >> 1) & 3,\n"
                          "        len(i.extra), len(i.comment), '%d-%02d-%02d %02d:%02d:%02d' % "
                          "i.date_time)\n") +
                   " " + Quoted(dir_ / "fx.zip"),
               &listing),
      0);
  // Deflate (8) with the maximum-compression flag (1), no extras, no comment.
  EXPECT_NE(listing.find("index.htm 8 1 0 0 2010-12-31 23:59:58\n"), std::string::npos) << listing;
  EXPECT_NE(listing.find("img\\a.gif 8 1 0 0"), std::string::npos) << listing;
  EXPECT_NE(listing.find("img\\sub\\b.txt 8 1 0 0"), std::string::npos) << listing;

  std::string unzipList;
  ASSERT_EQ(RunShell("unzip -l " + Quoted(dir_ / "fx.zip"), &unzipList), 0) << unzipList;
  EXPECT_NE(unzipList.find("3 files"), std::string::npos) << unzipList;

  ASSERT_LE(RunShell("unzip -o -q " + Quoted(dir_ / "fx.zip") + " -d " + Quoted(dir_ / "un")), 1);
  EXPECT_EQ(Tree(dir_ / "un/"),
            (Paths{"img/", "img/a.gif", "img/sub/", "img/sub/b.txt", "index.htm"}));
  EXPECT_EQ(ReadFileBytes(dir_ / "un/img/a.gif"), std::string(20000, 'a'));
}

TEST_F(ZipFolderTest, RoundTripKeepsContentsAndTimes) {
  ASSERT_EQ(ZipFolder(dir_ / "fx/", "*.*", dir_ / "fx.zip", dialogs_), 3);
  ASSERT_TRUE(ExtractZip(dir_ / "fx.zip", dir_ / "back/"));
  EXPECT_EQ(Tree(dir_ / "back/"), Tree(dir_ / "fx/"));
  EXPECT_EQ(ReadFileBytes(dir_ / "back/img/sub/b.txt"), "b");
  EXPECT_EQ(Stamp(LocalMTime(dir_ / "back/index.htm")), "2010-12-31 23:59:58");
}

TEST_F(ZipFolderTest, MaskAppliesToFilesAndFolders) {
  WriteFileBytes(dir_ / "fx/img/c.htm", "c");
  EXPECT_EQ(ZipFolder(dir_ / "fx/", "*.htm", dir_ / "htm.zip", dialogs_), 1);
  ASSERT_TRUE(ExtractZip(dir_ / "htm.zip", dir_ / "htm/"));
  EXPECT_EQ(Tree(dir_ / "htm/"), Paths{"index.htm"});
}

TEST_F(ZipFolderTest, EmptyFolderMakesNoArchive) {
  fs::create_directories(dir_ / "none/sub");
  EXPECT_EQ(ZipFolder(dir_ / "none/", "*.*", dir_ / "none.zip", dialogs_), 0);
  EXPECT_FALSE(Exists(dir_ / "none.zip"));
}

TEST(AddFile, FailuresAreReported) {
  TempDir dir;
  WriteFileBytes(dir / "a.txt", "a");
  TMiniZip zip;
  zip.SetZipName(dir / "a.zip");
  EXPECT_EQ(zip.AddFile(dir / "missing.txt", "m"), -1);
  EXPECT_EQ(zip.AddFile(dir / "a.txt", ""), -1);
  EXPECT_EQ(zip.AddFile(dir.path(), "folder"), -1);
  // A regular file whose reading fails at once (EIO).
  EXPECT_NE(zip.AddFile("/proc/self/mem", "mem"), 0);
  EXPECT_EQ(zip.AddFile(dir / "a.txt", "a.txt"), 0);
}
