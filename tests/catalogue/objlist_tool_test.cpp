// The catalogue inspection tool, run as the operator runs it.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/catalogue_file.h"
#include "catalogue/table_stream.h"
#include "common/uUtils.h"
#include "platform/process.h"
#include "tests/support/test_support.h"

namespace catalogue {
namespace {

using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

struct Result {
  int status;
  std::string out, err;
};

class ObjlistTool : public ::testing::Test {
 protected:
  Result Run(const std::string& args) {
    const std::string command = std::string("'") + OBJLIST_TOOL + "' " + args + " >'" +
                                dir / "out" + "' 2>'" + dir / "err" + "'";
    platform::ChildProcess child = platform::ChildProcess::Spawn({"/bin/sh", "-c", command});
    const int status = child.Wait();
    return {status, ReadFileBytes(dir / "out"), ReadFileBytes(dir / "err")};
  }
  std::string Path(const std::string& name) { return "'" + dir / name + "'"; }

  testing_support::TempDir dir;
};

// Written the way the tool writes records, so a dump gives it back unchanged.
const std::string kFullLine =
    R"({"ObjID":1234,"ObjName":"Caf\u00e9 \u20ac \"q\"","ObjType":"H",)"
    R"("ObjDescription":"one\r\ntwo","ZipFileName":"/opt/app/Objects/ZIP/00001234.zip",)"
    R"("ZipFileCRC32":"0A1B2C3D","ScreeningCountTmp":-3,"ScreeningCountTotal":70000,)"
    R"("RatingTmp":0,"RatingConst":5,"ObjEnabled":true,"ObjPointer":-1,)"
    R"("BeginDate":45291.123456789,"EndDate":0,"MinExecInterval":600,)"
    R"("EnableDays":1234567,"MaxExecCount":99999,"LastExecTime":null})";

std::string ToolForm(std::string line) {
  // The tool writes non-ASCII characters as UTF-8, not as escapes.
  const auto swap = [&](const std::string& from, const std::string& to) {
    line.replace(line.find(from), from.size(), to);
  };
  swap("\\u00e9", "\xC3\xA9");
  swap("\\u20ac", "\xE2\x82\xAC");
  return line;
}

TEST_F(ObjlistTool, EncodeThenDumpAndCheck) {
  WriteFileBytes(dir / "in.jsonl", kFullLine + "\n\n" + R"({"ObjID":7,"ObjEnabled":false})" + "\n");
  const Result encoded = Run("encode " + Path("in.jsonl") + " " + Path("ObjList.db"));
  ASSERT_EQ(encoded.status, 0) << encoded.err;
  const std::string stored = ReadFileBytes(dir / "ObjList.db");
  EXPECT_EQ(encoded.out,
            "Wrote 2 records to " + dir / "ObjList.db" + ", DBCRC " + CRC32Text(stored) + "\n");

  // The file is a catalogue the agent reads: texts in cp1252, nulls kept.
  const std::vector<ObjRecord> records = DecodeCatalogueFile(stored);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].Text(Field::ObjName), "Caf\xE9 \x80 \"q\"");
  EXPECT_EQ(records[0].DateTime(Field::BeginDate), 45291.123456789);
  EXPECT_TRUE(records[0].IsNull(Field::EndDate));  // a stored 0 date loads as null
  EXPECT_TRUE(records[1].IsNull(Field::ObjName));
  EXPECT_FALSE(records[1].Boolean(Field::ObjEnabled));

  const Result dumped = Run("dump " + Path("ObjList.db"));
  ASSERT_EQ(dumped.status, 0) << dumped.err;
  std::string expectedFirst = ToolForm(kFullLine);
  expectedFirst.replace(expectedFirst.find("\"EndDate\":0"), 11, "\"EndDate\":null");
  std::string expectedSecond = R"({"ObjID":7)";
  for (const char* name : {"ObjName", "ObjType", "ObjDescription", "ZipFileName", "ZipFileCRC32",
                           "ScreeningCountTmp", "ScreeningCountTotal", "RatingTmp", "RatingConst"})
    expectedSecond += std::string(",\"") + name + "\":null";
  expectedSecond += R"(,"ObjEnabled":false,"ObjPointer":null,"BeginDate":null,"EndDate":null,)"
                    R"("MinExecInterval":null,"EnableDays":null,"MaxExecCount":null,)"
                    R"("LastExecTime":null})";
  EXPECT_EQ(dumped.out, expectedFirst + "\n" + expectedSecond + "\n");

  const Result match = Run("check " + Path("ObjList.db") + " --crc " + CRC32Text(stored));
  EXPECT_EQ(match.status, 0) << match.err;
  EXPECT_NE(match.out.find("matches DBCRC"), std::string::npos);
  const Result mismatch = Run("check " + Path("ObjList.db") + " --crc 00000000");
  EXPECT_EQ(mismatch.status, 1);
  EXPECT_EQ(mismatch.err, "sparkletide-objlist: " + dir / "ObjList.db" +
                              " does not match DBCRC 00000000 (its CRC is " + CRC32Text(stored) +
                              ")\n");
}

TEST_F(ObjlistTool, PlainFilesAndBadInput) {
  ObjTable table;
  table.Append();
  table.SetInteger(Field::ObjID, 5);
  table.Post();
  WriteFileBytes(dir / "plain.db", WriteTableStream(table));
  const Result plain = Run("dump --plain " + Path("plain.db"));
  EXPECT_EQ(plain.status, 0) << plain.err;
  EXPECT_EQ(plain.out.substr(0, 11), R"({"ObjID":5,)");

  const auto oneLineError = [](const Result& r) {
    return r.status == 1 && r.out.empty() && r.err.rfind("sparkletide-objlist: ", 0) == 0 &&
           r.err.find('\n') == r.err.size() - 1;
  };
  const Result scrambledRead = Run("dump " + Path("plain.db"));
  EXPECT_TRUE(oneLineError(scrambledRead)) << scrambledRead.err;
  EXPECT_EQ(scrambledRead.err, "sparkletide-objlist: " + dir / "plain.db" +
                                   " is not a catalogue file: Invalid stream format\n");

  const Result missing = Run("dump " + Path("nothing.db"));
  EXPECT_TRUE(oneLineError(missing)) << missing.err;

  struct Case {
    std::string line, mentions;
  } cases[] = {
      {R"({"ObjID":"12"})", "ObjID must be a 32-bit integer"},
      {R"({"ObjID":3000000000})", "ObjID must be a 32-bit integer"},
      {R"({"Colour":1})", "unknown field \"Colour\""},
      {R"({"ObjName":"\u4e2d"})", "no cp1252 form"},
      // "A" and a quote written in two bytes each: overlong, not UTF-8.
      {"{\"ObjName\":\"\xC1\x81\"}", "not UTF-8"},
      {"{\"ObjName\":\"\xC0\xA2\"}", "not UTF-8"},
      {R"({"ObjID":1)", "expected '}'"},
  };
  for (const Case& c : cases) {
    WriteFileBytes(dir / "bad.jsonl", R"({"ObjID":1})"
                                      "\n" +
                                          c.line + "\n");
    const Result r = Run("encode " + Path("bad.jsonl") + " " + Path("bad.db"));
    EXPECT_TRUE(oneLineError(r)) << c.line << ": " << r.err;
    EXPECT_NE(r.err.find("line 2: "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(c.mentions), std::string::npos) << r.err;
    EXPECT_FALSE(testing_support::Exists(dir / "bad.db"));
  }

  const Result help = Run("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("dump FILE [--plain]"), std::string::npos);
  EXPECT_EQ(Run("").status, 2);
  EXPECT_EQ(Run("check " + Path("plain.db")).status, 2);
}

}  // namespace
}  // namespace catalogue
