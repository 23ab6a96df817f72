#include "catalogue/table_stream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "catalogue/extended_float.h"
#include "catalogue/obj_table.h"

namespace catalogue {
namespace {

using namespace std::string_literals;

// One column definition of the version-251 stream, spelled out byte by byte:
// name, type name, size, label (= name), empty edit mask, display width,
// required false, read-only false, kind "Data", empty reserved text.
std::string ColumnBytes(const std::string& name, const std::string& type, const std::string& size,
                        const std::string& width) {
  return "\x06"s + char(name.size()) + name + "\x06"s + char(type.size()) + type + size + "\x06"s +
         char(name.size()) + name + "\x06\x00"s + width + "\x08\x08"s +
         "\x06\x04"
         "Data"s +
         "\x06\x00"s;
}

std::string EmptyCatalogueBytes() {
  const std::string i0 = "\x02\x00"s, i1 = "\x02\x01"s, i5 = "\x02\x05"s, i10 = "\x02\x0A"s,
                    i20 = "\x02\x14"s, i50 = "\x02\x32"s, i240 = "\x03\xF0\x00"s,
                    i250 = "\x03\xFA\x00"s;
  std::string bytes =
      "TPF0"
      "\x03\xFB\x00"s +
      "\x01"s;
  bytes += ColumnBytes("ObjID", "Integer", i0, i10);
  bytes += ColumnBytes("ObjName", "String", i50, i50);
  bytes += ColumnBytes("ObjType", "String", i1, i1);
  bytes += ColumnBytes("ObjDescription", "String", i240, i240);
  bytes += ColumnBytes("ZipFileName", "String", i250, i250);
  bytes += ColumnBytes("ZipFileCRC32", "String", i20, i20);
  bytes += ColumnBytes("ScreeningCountTmp", "Integer", i0, i10);
  bytes += ColumnBytes("ScreeningCountTotal", "Integer", i0, i10);
  bytes += ColumnBytes("RatingTmp", "Integer", i0, i10);
  bytes += ColumnBytes("RatingConst", "Integer", i0, i10);
  bytes += ColumnBytes("ObjEnabled", "Boolean", i0, i5);
  bytes += ColumnBytes("ObjPointer", "Integer", i0, i10);
  bytes += ColumnBytes("BeginDate", "DateTime", i0, i10);
  bytes += ColumnBytes("EndDate", "DateTime", i0, i10);
  bytes += ColumnBytes("MinExecInterval", "Integer", i0, i10);
  bytes += ColumnBytes("EnableDays", "Integer", i0, i10);
  bytes += ColumnBytes("MaxExecCount", "Integer", i0, i10);
  bytes += ColumnBytes("LastExecTime", "DateTime", i0, i10);
  bytes += "\x00"s;      // end of the column list
  bytes += "\x01\x00"s;  // empty index list
  bytes += "\x01\x00"s;  // empty record list
  return bytes;
}

TEST(TableStream, EmptyCatalogueIsExactlyTheHandWrittenBytes) {
  ObjTable table;
  EXPECT_EQ(WriteTableStream(table), EmptyCatalogueBytes());
  EXPECT_TRUE(ReadTableStream(EmptyCatalogueBytes()).empty());
}

TEST(TableStream, RecordEntryEncodesEachFieldKind) {
  ObjTable table;
  table.Append();
  table.SetInteger(Field::ObjID, 1234);
  table.SetText(Field::ObjName, "");
  table.SetText(Field::ObjType, "HS");  // stored as "H"
  // ObjDescription stays null
  table.SetText(Field::ZipFileName, "");
  table.SetText(Field::ZipFileCRC32, "ABCDEF01");
  table.SetInteger(Field::ScreeningCountTmp, 0);
  table.SetInteger(Field::ScreeningCountTotal, 300);
  table.SetInteger(Field::RatingTmp, 5);
  table.SetInteger(Field::RatingConst, -129);
  table.SetBoolean(Field::ObjEnabled, true);
  table.SetInteger(Field::ObjPointer, -1);
  table.SetDateTime(Field::BeginDate, 0);  // a zero that still holds a value
  table.SetDateTime(Field::EndDate, 1.0);
  table.SetInteger(Field::MinExecInterval, 40000);
  table.SetInteger(Field::EnableDays, 1234567);
  // MaxExecCount and LastExecTime stay null
  table.Post();

  const std::string record =
      "\x01"
      "\x02\x00"s          // start, update status 0
      "\x08\x03\xD2\x04"s  // ObjID 1234
      "\x08\x06\x00"s      // empty ObjName
      "\x08\x06\x01H"s     // ObjType
      "\x09"s              // null ObjDescription
      "\x08\x06\x00"s      // empty ZipFileName
      "\x08\x06\x08"
      "ABCDEF01"s
      "\x08\x02\x00"s      // 0
      "\x08\x03\x2C\x01"s  // 300
      "\x08\x02\x05"s      // 5
      "\x08\x03\x7F\xFF"s  // -129
      "\x08\x09"s          // true
      "\x08\x02\xFF"s      // ObjPointer -1
      "\x08\x05" +
      std::string(10, '\0') +                              // date 0 with a value
      "\x08\x05\x00\x00\x00\x00\x00\x00\x00\x80\xFF\x3F"s  // 1.0
      "\x08\x04\x40\x9C\x00\x00"s                          // 40000
      "\x08\x04\x87\xD6\x12\x00"s                          // 1234567
      "\x09\x09"s                                          // null MaxExecCount, LastExecTime
      "\x00"s;
  std::string expected = EmptyCatalogueBytes();
  expected.insert(expected.size() - 1, record);
  EXPECT_EQ(WriteTableStream(table), expected);
}

ObjRecord FullRecord(int n) {
  ObjRecord r;
  r.SetInteger(Field::ObjID, 90000000 + n);
  r.SetText(Field::ObjName, "Effect \xE9\xE8 " + std::to_string(n));
  r.SetText(Field::ObjType, "S");
  r.SetText(Field::ObjDescription, std::string(240, char('a' + n % 26)));
  r.SetText(Field::ZipFileName, std::string(250, '/'));
  r.SetText(Field::ZipFileCRC32, "0A1B2C3D");
  r.SetInteger(Field::ScreeningCountTmp, -n);
  r.SetInteger(Field::ScreeningCountTotal, std::numeric_limits<std::int32_t>::min());
  r.SetInteger(Field::RatingTmp, 3);
  r.SetInteger(Field::RatingConst, -32769);
  r.SetBoolean(Field::ObjEnabled, n % 2 == 0);
  r.SetInteger(Field::ObjPointer, std::numeric_limits<std::int32_t>::max());
  r.SetDateTime(Field::BeginDate, 45291.123456789);
  r.SetDateTime(Field::EndDate, -693593.75);
  r.SetInteger(Field::MinExecInterval, 120);
  r.SetInteger(Field::EnableDays, 1234567);
  r.SetInteger(Field::MaxExecCount, 99999);
  r.SetDateTime(Field::LastExecTime, 1e-9);
  return r;
}

TEST(TableStream, RoundTripKeepsEveryFieldKindAndZeroDatesBecomeNull) {
  ObjTable table;
  std::vector<ObjRecord> records;
  for (int n = 0; n < 3; ++n) records.push_back(FullRecord(n));
  ObjRecord zeros = FullRecord(7);
  zeros.SetNull(Field::ObjName);
  for (Field f : {Field::BeginDate, Field::EndDate, Field::LastExecTime}) zeros.SetDateTime(f, 0);
  records.push_back(zeros);
  table.Assign(records);

  const std::string first = WriteTableStream(table);
  std::vector<ObjRecord> loaded = ReadTableStream(first);
  ASSERT_EQ(loaded.size(), records.size());
  for (int n = 0; n < 3; ++n) EXPECT_EQ(loaded[n], records[n]) << n;
  ASSERT_EQ(loaded[0].Text(Field::ObjDescription).size(), 240u);
  ASSERT_EQ(loaded[0].Text(Field::ZipFileName).size(), 250u);

  // The zero dates come back without a value, still reading as 0 ...
  const ObjRecord& z = loaded[3];
  for (Field f : {Field::BeginDate, Field::EndDate, Field::LastExecTime}) {
    EXPECT_TRUE(z.IsNull(f));
    EXPECT_EQ(z.DateTime(f), 0.0);
  }
  EXPECT_TRUE(z.IsNull(Field::ObjName));
  // ... and the next save writes them as the null flag.
  table.Assign(loaded);
  const std::string second = WriteTableStream(table);
  EXPECT_EQ(second.size(), first.size() - 3 * 11);
  EXPECT_EQ(ReadTableStream(second), loaded);
}

TEST(Scrambling, UsesTheKeystreamFromTheEndAndUndoesItself) {
  std::string bytes = "TPF0\x03\xFB\x00"s;
  Scramble(bytes);
  EXPECT_EQ(bytes, "\x74\x27\x86\x8A\xDE\x0A\x63"s);
  Scramble(bytes);
  EXPECT_EQ(bytes, "TPF0\x03\xFB\x00"s);
  std::string empty;
  Scramble(empty);
  EXPECT_EQ(empty, "");

  // Longer buffers of every length remainder against the keystream step by step.
  std::mt19937 random(3);
  for (size_t length : {8u, 9u, 15u, 16u, 1000u, 4099u}) {
    std::string data(length, '\0');
    for (char& c : data) c = static_cast<char>(random());
    std::string expected = data;
    std::uint32_t state = 0x2D6B9F41u;
    for (size_t i = length; i-- > 0;) {
      state = state * 134775813u + 1u;
      expected[i] = static_cast<char>(expected[i] ^ static_cast<char>(state >> 24));
    }
    Scramble(data);
    EXPECT_EQ(data, expected) << length;
  }
}

// ---- Streams of older versions, written by hand.

struct OldStream {
  int version;
  std::string bytes;

  explicit OldStream(int v) : version(v), bytes("TPF0") {
    if (version != 100) Int(version);
  }
  OldStream& Raw(const std::string& s) {
    bytes += s;
    return *this;
  }
  OldStream& Int(int v) {
    if (v >= -128 && v <= 127) return Raw("\x02"s + char(v));
    return Raw("\x03"s + char(v & 0xFF) + char((v >> 8) & 0xFF));
  }
  OldStream& Text(const std::string& s) { return Raw("\x06"s + char(s.size()) + s); }
  OldStream& Column(const std::string& name, const std::string& type) {
    Text(name).Text(type).Int(0).Text(name).Text("").Int(10).Raw("\x08\x08");
    if (version >= 250) Text("Data");
    if (version >= 251) Text("");
    return *this;
  }
  // A value preceded, from version 249 on, by its null flag.
  OldStream& Value(const std::string& encoded) {
    if (version >= 249) Raw("\x08");
    return Raw(encoded);
  }
};

// Columns: ObjID, an unknown "Extra", ObjName, BeginDate, ObjEnabled. Two records,
// the second with an older version of itself inside its entry (from 230 on).
std::string StreamOfVersion(int version) {
  OldStream s(version);
  s.Raw("\x01")
      .Column("ObjID", "Integer")
      .Column("Extra", "Integer")
      .Column("objname", "String")
      .Column("BeginDate", "DateTime")
      .Column("ObjEnabled", "Boolean")
      .Raw("\x00"s);
  if (version >= 200) s.Raw("\x01\x00"s);
  s.Raw("\x01");
  auto record = [&](int id, const std::string& name, const std::string& date, bool on) {
    s.Value("\x04"s + char(id & 0xFF) + char((id >> 8) & 0xFF) + char((id >> 16) & 0xFF) +
            char(id >> 24))
        .Value("\x02\x07"s)
        .Value("\x06"s + char(name.size()) + name)
        .Value(date)
        .Value(on ? "\x09" : "\x08");
  };
  if (version >= 230) s.Raw("\x01\x02\x00"s);
  record(70000, "First", "\x02\x03"s, true);  // a date given as an integer
  if (version >= 230) s.Raw("\x00"s);
  if (version >= 230) s.Raw("\x01\x02\x00"s);
  record(12, "Second", "\x05\x00\x00\x00\x00\x00\x00\x00\x80\xFF\x3F"s, false);
  if (version >= 230) {
    s.Raw("\x02\x01"s);  // an older version of the record: status, then its values
    record(13, "Older", "\x02\x00"s, true);
    s.Raw("\x00"s);
  }
  s.Raw("\x00"s);
  return s.bytes;
}

class OldVersions : public ::testing::TestWithParam<int> {};

TEST_P(OldVersions, LoadByNameWithDefaultsForMissingColumns) {
  const std::vector<ObjRecord> records = ReadTableStream(StreamOfVersion(GetParam()));
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].Integer(Field::ObjID), 70000);
  EXPECT_EQ(records[0].Text(Field::ObjName), "First");
  EXPECT_EQ(records[0].DateTime(Field::BeginDate), 3.0);
  EXPECT_TRUE(records[0].Boolean(Field::ObjEnabled));
  EXPECT_EQ(records[1].Integer(Field::ObjID), 12);
  EXPECT_EQ(records[1].Text(Field::ObjName), "Second");
  EXPECT_EQ(records[1].DateTime(Field::BeginDate), 1.0);
  EXPECT_FALSE(records[1].Boolean(Field::ObjEnabled));
  for (const ObjRecord& r : records) {
    EXPECT_TRUE(r.IsNull(Field::ObjType));
    EXPECT_TRUE(r.IsNull(Field::LastExecTime));
    EXPECT_EQ(r.Integer(Field::EnableDays), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Versions, OldVersions, ::testing::Values(100, 200, 230, 249, 250, 251));

TEST(TableStream, AnEmptyColumnListKeepsTheRecordsOwnColumns) {
  ObjTable table;
  table.Assign({FullRecord(1)});
  std::string stream = WriteTableStream(table);
  const size_t columnsEnd = EmptyCatalogueBytes().size() - 5;  // at the column list's end
  stream.replace(7, columnsEnd - 7 + 1, "\x01\x00"s);
  ASSERT_EQ(stream.substr(0, 11), "TPF0\x03\xFB\x00\x01\x00\x01\x00"s);
  EXPECT_EQ(ReadTableStream(stream), std::vector<ObjRecord>{FullRecord(1)});
}

TEST(TableStream, FormatErrorsNameTheirCause) {
  ObjTable table;
  table.Assign({FullRecord(1)});
  const std::string good = WriteTableStream(table);
  const size_t columnsEnd = EmptyCatalogueBytes().size() - 4;  // just after the column list

  std::string badType = good;
  const size_t at = badType.find("DateTime");
  badType.replace(at, 8, "Currency");

  struct Case {
    std::string name, bytes, message;
  } cases[] = {
      {"wrong signature", "TPF1" + good.substr(4), "Invalid stream format"},
      {"cut after the column list", good.substr(0, columnsEnd), "Stream read error"},
      {"cut inside a text", good.substr(0, good.size() - 260), "Stream read error"},
      {"unknown type name", badType, "Unknown field type (Currency)"},
      {"tag other than expected", good.substr(0, columnsEnd) + "\x02", "Invalid stream format"},
      {"nothing at all", "", "Invalid stream format"},
  };
  for (const Case& c : cases) {
    try {
      ReadTableStream(c.bytes);
      ADD_FAILURE() << c.name << ": no error";
    } catch (const StreamError& e) {
      EXPECT_EQ(std::string(e.what()), c.message) << c.name;
    }
  }
}

// ---- The 80-bit extended floats.

Extended Bytes(const std::string& s) {
  Extended e;
  std::memcpy(e.data(), s.data(), 10);
  return e;
}

TEST(ExtendedFloat, KnownEncodings) {
  struct Case {
    double value;
    std::string bytes;
  } cases[] = {
      {0.0, std::string(10, '\0')},
      {1.0, "\0\0\0\0\0\0\0\x80\xFF\x3F"s},
      {-2.0, "\0\0\0\0\0\0\0\x80\x00\xC0"s},
      {0.5, "\0\0\0\0\0\0\0\x80\xFE\x3F"s},
      {45000.75, "\0\0\0\0\0\xC0\xC8\xAF\x0E\x40"s},
      {4.9406564584124654e-324, "\0\0\0\0\0\0\0\x80\xCD\x3B"s},  // smallest subnormal
      {std::numeric_limits<double>::infinity(), "\0\0\0\0\0\0\0\x80\xFF\x7F"s},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ToExtended(c.value), Bytes(c.bytes)) << c.value;
    EXPECT_EQ(FromExtended(Bytes(c.bytes)), c.value) << c.value;
  }
  EXPECT_TRUE(std::isnan(FromExtended(ToExtended(std::numeric_limits<double>::quiet_NaN()))));
  EXPECT_TRUE(std::signbit(FromExtended(ToExtended(-0.0))));
}

TEST(ExtendedFloat, RoundsToNearestEvenAndHandlesRange) {
  // 1 + 2^-53 is halfway between two doubles: ties go to the even one (1.0);
  // one more bit below tips it up.
  EXPECT_EQ(FromExtended(Bytes("\0\x04\0\0\0\0\0\x80\xFF\x3F"s)), 1.0);
  EXPECT_EQ(FromExtended(Bytes("\x01\x04\0\0\0\0\0\x80\xFF\x3F"s)), 1.0 + 0x1p-52);
  // 1 + 3 * 2^-53 is halfway too, and rounds up to the even neighbour.
  EXPECT_EQ(FromExtended(Bytes("\0\x0C\0\0\0\0\0\x80\xFF\x3F"s)), 1.0 + 0x1p-51);
  EXPECT_EQ(FromExtended(Bytes("\0\0\0\0\0\0\0\x80\xFE\x7F"s)),
            std::numeric_limits<double>::infinity());
  EXPECT_EQ(FromExtended(Bytes("\0\0\0\0\0\0\0\x80\x01\x00"s)), 0.0);
}

TEST(ExtendedFloat, AgreesWithTheHardwareFormatWhereThereIsOne) {
  if constexpr (std::numeric_limits<long double>::digits != 64) {
    GTEST_SKIP() << "long double is not the 80-bit format here";
  } else {
    std::mt19937_64 random(7);
    for (int i = 0; i < 200000; ++i) {
      // Doubles from random bit patterns, both ways.
      const std::uint64_t bits = random();
      double d;
      std::memcpy(&d, &bits, sizeof d);
      if (std::isnan(d)) continue;
      long double wide = d;
      Extended hardware{};
      std::memcpy(hardware.data(), &wide, 10);
      ASSERT_EQ(ToExtended(d), hardware) << d;
      ASSERT_EQ(FromExtended(hardware), d);
      // Random extended numbers narrowed by the hardware.
      Extended e{};
      const std::uint64_t significand = random() | (std::uint64_t{1} << 63);
      const int exponent = 16383 - 1100 + int(random() % 2200);
      std::memcpy(e.data(), &significand, 8);
      e[8] = std::uint8_t(exponent);
      e[9] = std::uint8_t((exponent >> 8) | ((random() & 1) << 7));
      long double x = 0;
      std::memcpy(&x, e.data(), 10);
      ASSERT_EQ(FromExtended(e), static_cast<double>(x)) << i;
    }
  }
}

}  // namespace
}  // namespace catalogue
