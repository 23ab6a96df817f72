#include "catalogue/record_operations.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/catalogue/catalogue_fixture.h"

namespace catalogue {
namespace {

using Lines = std::vector<std::string>;

class RecordOperations : public ::testing::Test {
 protected:
  RecordOperations() {
    RegWrite("ELogLevel", "2");
    ObjRecord first = SampleRecord(1234), twin = SampleRecord(1234), other = SampleRecord(77);
    first.SetText(Field::ZipFileCRC32, "AB12CD34");
    twin.SetText(Field::ObjName, "twin");
    table.Assign({first, twin, other});
    table.AddObserver([this](const TableChange& c) {
      if (c.kind == ChangeKind::Updated) ++updates;
    });
  }
  std::vector<ObjRecord> Contents() {
    std::vector<ObjRecord> records;
    table.ForEach([&](const ObjRecord& r) { records.push_back(r); });
    return records;
  }

  CatalogueFolder folder;
  ObjTable table;
  int updates = 0;
};

TEST_F(RecordOperations, UnknownIdentifierChangesAndLogsNothing) {
  const auto before = Contents();
  SetObjType(table, 5, "S");
  SetObjEnabled(table, 5, false);
  SetObjRating(table, 5, 3);
  EXPECT_FALSE(ChkObjName(table, 5));
  EXPECT_FALSE(CheckObjExists(table, 5, ""));
  EXPECT_EQ(Contents(), before);
  EXPECT_TRUE(folder.LogTexts().empty());
}

TEST_F(RecordOperations, EachActsOnTheFirstRecordWithTheIdentifier) {
  SetObjType(table, 1234, "SE");
  SetObjEnabled(table, 1234, false);
  SetObjRating(table, 1234, 4);
  const auto records = Contents();
  EXPECT_EQ(records[0].Text(Field::ObjType), "S");
  EXPECT_FALSE(records[0].Boolean(Field::ObjEnabled));
  EXPECT_EQ(records[0].Integer(Field::RatingTmp), 4);
  EXPECT_EQ(records[0].Integer(Field::RatingConst), 4);
  ObjRecord twin = SampleRecord(1234);
  twin.SetText(Field::ObjName, "twin");
  EXPECT_EQ(records[1], twin);
  EXPECT_EQ(folder.LogTexts(),
            (Lines{"Set object 00001234 enabled = false", "Set object's 00001234 rating = 4"}));

  ASSERT_TRUE(ChkObjName(table, 77));
  EXPECT_EQ(table.Integer(Field::ObjID), 77);  // the cursor stays on it
  EXPECT_TRUE(CheckObjExists(table, 1234, "AB12CD34"));
  EXPECT_FALSE(CheckObjExists(table, 1234, "ab12cd34"));
  EXPECT_FALSE(CheckObjExists(table, 1234, "AB12CD3"));
}

TEST_F(RecordOperations, ClearStatTouchesOnlyRecordsWithCounts) {
  ObjRecord quiet = SampleRecord(6);  // 6 % 6 == 0: no counts, no ratings
  ObjRecord busy = SampleRecord(8);
  table.Assign({quiet, busy, quiet});
  ClearStat(table);
  EXPECT_EQ(updates, 1);
  const auto records = Contents();
  EXPECT_EQ(records[1].Integer(Field::ScreeningCountTmp), 0);
  EXPECT_EQ(records[1].Integer(Field::RatingTmp), 0);
  EXPECT_EQ(records[1].Integer(Field::ScreeningCountTotal), 2);
  EXPECT_EQ(records[1].Integer(Field::RatingConst), 2);
  ClearStat(table);
  EXPECT_EQ(updates, 1);
  EXPECT_EQ(folder.LogTexts(), (Lines{"Clear statistics", "Clear statistics"}));
}

TEST_F(RecordOperations, ClearTableTmpResetsCountsAndWindowsAndRefreshesTheCrc) {
  const std::string package = folder.path() + "Objects/ZIP/00000077.zip";
  testing_support::WriteFileBytes(package, "package bytes");
  ObjRecord withPackage = SampleRecord(77), gone = SampleRecord(5);
  withPackage.SetText(Field::ZipFileName, package);
  withPackage.SetText(Field::ZipFileCRC32, "stale");
  gone.SetText(Field::ZipFileName, folder.path() + "Objects/ZIP/missing.zip");
  gone.SetText(Field::ZipFileCRC32, "kept");
  table.Assign({withPackage, gone});
  ClearTableTmp(table);
  const auto records = Contents();
  for (const ObjRecord& r : records) {
    for (Field f : {Field::ScreeningCountTmp, Field::ScreeningCountTotal, Field::RatingTmp,
                    Field::RatingConst})
      EXPECT_EQ(r.Integer(f), 0);
    EXPECT_EQ(r.DateTime(Field::BeginDate), 0.0);
    EXPECT_FALSE(r.IsNull(Field::EndDate));
    EXPECT_EQ(r.DateTime(Field::EndDate), 0.0);
  }
  EXPECT_EQ(records[0].Text(Field::ZipFileCRC32), CRC32Text("package bytes"));
  EXPECT_EQ(records[1].Text(Field::ZipFileCRC32), "kept");
  EXPECT_EQ(records[0].Integer(Field::ObjPointer), 77 % 6);
  EXPECT_EQ(records[0].Integer(Field::MaxExecCount), 99999 - 77);
  EXPECT_EQ(records[0].DateTime(Field::LastExecTime), 45500.125);
  EXPECT_TRUE(folder.LogTexts().empty());
}

}  // namespace
}  // namespace catalogue
