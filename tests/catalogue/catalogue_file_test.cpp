#include "catalogue/catalogue_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "catalogue/table_stream.h"
#include "tests/catalogue/catalogue_fixture.h"

namespace catalogue {
namespace {

using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;
using Lines = std::vector<std::string>;

std::vector<ObjRecord> Records(int count, int first = 1) {
  std::vector<ObjRecord> records;
  for (int n = first; n < first + count; ++n) records.push_back(SampleRecord(n));
  return records;
}

std::vector<ObjRecord> Contents(const ObjTable& table) {
  std::vector<ObjRecord> records;
  table.ForEach([&](const ObjRecord& r) { records.push_back(r); });
  return records;
}

std::string Flip(std::string bytes, size_t at) {
  bytes[at] = static_cast<char>(bytes[at] ^ 0x01);
  return bytes;
}

class CatalogueFile : public ::testing::Test {
 protected:
  // Saves `records` and clears the log.
  void Save(const std::vector<ObjRecord>& records) {
    ObjTable table;
    table.Assign(records);
    SaveObjList(table);
    folder.ClearLog();
  }
  std::vector<ObjRecord> Load() {
    table.Assign(Records(2, 500));  // something a failed load must clear
    LoadObjList(table);
    return Contents(table);
  }

  CatalogueFolder folder;
  ObjTable table;
};

TEST_F(CatalogueFile, SaveWritesBothFilesAndTheirChecksum) {
  ObjTable saved;
  saved.Assign(Records(3));
  SaveObjList(saved);
  const std::string bytes = ReadFileBytes(MainFilePath());
  EXPECT_EQ(MainFilePath(), folder.path() + "Objects/ObjList.db");
  EXPECT_EQ(BackCopyPath(), folder.path() + "Objects/ZIP/ObjList.db");
  EXPECT_EQ(ReadFileBytes(BackCopyPath()), bytes);
  EXPECT_EQ(RegRead("DBCRC", ""), CRC32Text(bytes));
  std::string plain = bytes;
  Scramble(plain);
  EXPECT_EQ(plain.substr(0, 4), "TPF0");
  EXPECT_EQ(folder.LogTexts(), Lines{"Save objects DB"});

  EXPECT_EQ(Load(), Records(3));
  EXPECT_EQ(folder.LogTexts(), (Lines{"Save objects DB", "Load objects DB"}));
}

TEST_F(CatalogueFile, MainFileChangedLoadsTheBackCopy) {
  Save(Records(4));
  WriteFileBytes(MainFilePath(), Flip(ReadFileBytes(MainFilePath()), 100));
  EXPECT_EQ(Load(), Records(4));
  EXPECT_EQ(folder.LogTexts(),
            (Lines{"Load objects DB", "DB CRC is fail", "Load objects DB from back copy"}));
}

TEST_F(CatalogueFile, BothFilesChangedGiveAnEmptyCatalogue) {
  Save(Records(4));
  WriteFileBytes(MainFilePath(), Flip(ReadFileBytes(MainFilePath()), 100));
  WriteFileBytes(BackCopyPath(), Flip(ReadFileBytes(BackCopyPath()), 7));
  EXPECT_TRUE(Load().empty());
  EXPECT_EQ(folder.LogTexts(), (Lines{"Load objects DB", "DB CRC is fail",
                                      "Load objects DB from back copy", "Back DB CRC is fail"}));
}

TEST_F(CatalogueFile, WithoutAChecksumTheMainFileLoadsUnchecked) {
  Save(Records(4));
  ObjTable other;
  other.Assign(Records(2, 50));
  WriteFileBytes(MainFilePath(), EncodeCatalogueFile(other));
  RegWrite("DBCRC", "");
  EXPECT_EQ(Load(), Records(2, 50));
  EXPECT_EQ(folder.LogTexts(), Lines{"Load objects DB"});
}

TEST_F(CatalogueFile, MissingMainFileLoadsTheBackCopyWhenItMatches) {
  Save(Records(3));
  std::filesystem::remove(MainFilePath());
  EXPECT_EQ(Load(), Records(3));
  EXPECT_EQ(folder.LogTexts(), (Lines{"Load objects DB", "Load objects DB from back copy"}));

  folder.ClearLog();
  WriteFileBytes(BackCopyPath(), Flip(ReadFileBytes(BackCopyPath()), 9));
  EXPECT_TRUE(Load().empty());
  EXPECT_EQ(folder.LogTexts(),
            (Lines{"Load objects DB", "Load objects DB from back copy", "Back DB CRC is fail"}));
}

TEST_F(CatalogueFile, NoFileAtAllGivesAnEmptyCatalogueSilently) {
  EXPECT_TRUE(Load().empty());
  EXPECT_TRUE(folder.LogTexts().empty());
}

TEST_F(CatalogueFile, FormatErrorsBehindAMatchingChecksumGiveAnEmptyCatalogue) {
  ObjTable saved;
  saved.Assign(Records(2));
  std::string plain = WriteTableStream(saved);
  const std::string unknownType = [&] {
    std::string s = plain;
    s.replace(s.find("Boolean"), 7, "Booleon");
    return s;
  }();
  const size_t afterColumns = WriteTableStream(ObjTable()).size() - 4;
  for (std::string bad : {plain.substr(0, afterColumns), plain.substr(0, plain.size() / 2),
                          "TPF1" + plain.substr(4), unknownType}) {
    Scramble(bad);
    WriteFileBytes(MainFilePath(), bad);
    WriteFileBytes(BackCopyPath(), bad);
    RegWrite("DBCRC", CRC32Text(bad));
    folder.ClearLog();
    EXPECT_TRUE(Load().empty());
    EXPECT_EQ(folder.LogTexts(), Lines{"Load objects DB"});
  }
  // Scrambled with another seed: the signature does not match.
  WriteFileBytes(MainFilePath(), plain);
  RegWrite("DBCRC", CRC32Text(plain));
  EXPECT_TRUE(Load().empty());
}

TEST_F(CatalogueFile, AFailedMainWriteKeepsChecksumAndBackCopy) {
  Save(Records(2));
  const std::string crc = RegRead("DBCRC", "");
  const std::string back = ReadFileBytes(BackCopyPath());
  std::filesystem::remove(MainFilePath());
  std::filesystem::create_directory(MainFilePath());  // cannot be replaced by a file
  ObjTable changed;
  changed.Assign(Records(5));
  EXPECT_THROW(SaveObjList(changed), std::runtime_error);
  EXPECT_EQ(RegRead("DBCRC", ""), crc);
  EXPECT_EQ(ReadFileBytes(BackCopyPath()), back);
  EXPECT_TRUE(folder.LogTexts().empty());
}

TEST_F(CatalogueFile, ABackCopyLeftBehindIsLevelledBeforeTheMainFileIsReplaced) {
  // An earlier save stopped after DBCRC: main file and DBCRC new, back copy old.
  Save(Records(1));
  const std::string old = ReadFileBytes(BackCopyPath());
  Save(Records(2));
  const std::string current = ReadFileBytes(MainFilePath());
  WriteFileBytes(BackCopyPath(), old);
  // This save fails at the main file; the back copy must already match DBCRC.
  std::filesystem::create_directories(MainFilePath() + ".tmp/blocked");
  ObjTable changed;
  changed.Assign(Records(3));
  EXPECT_THROW(SaveObjList(changed), std::runtime_error);
  EXPECT_EQ(ReadFileBytes(BackCopyPath()), current);
  EXPECT_EQ(RegRead("DBCRC", ""), CRC32Text(current));
}

}  // namespace
}  // namespace catalogue
