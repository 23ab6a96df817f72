#include <filesystem>

#include <gtest/gtest.h>

#include "catalogue/obj_info.h"
#include "common/uUtils.h"
#include "platform/datetime.h"
#include "tests/support/test_support.h"

namespace {

class ObjInfoTest : public ::testing::Test {
 protected:
  void SetUp() override { SetAppDir(dir.path()); }
  void Info(const std::string& folder, const std::string& text) {
    std::filesystem::create_directories(ObjectsDir() + folder);
    testing_support::WriteFileBytes(ObjectsDir() + folder + "/info.txt", text);
  }
  testing_support::TempDir dir;
};

double At(int y, int m, int d, int h = 0, int n = 0) {
  return *platform::EncodeDateTime({y, m, d, h, n, 0, 0});
}

TEST_F(ObjInfoTest, FullFileWithEveryLineKind) {
  Info("00001234",
       "S\r\n01.06.2004\r\n31.12.2010 23:59\r\n17\r\n3600\r\n50\r\nSnowfall\r\n\r\n"
       "Snow falls\r\n\r\nover the desktop.\r\n");
  const ObjInfo info = ReadObjInfo("00001234");
  EXPECT_EQ(info.ObjType, "S");
  EXPECT_DOUBLE_EQ(info.BeginDate, At(2004, 6, 1));
  EXPECT_DOUBLE_EQ(info.EndDate, At(2010, 12, 31, 23, 59));
  EXPECT_EQ(info.EnableDays, 17);
  EXPECT_EQ(info.MinExecInterval, 3600);
  EXPECT_EQ(info.MaxExecCount, 50);
  EXPECT_EQ(info.ObjName, "Snowfall");
  // Empty lines before the description are dropped, those inside it kept.
  EXPECT_EQ(info.ObjDescription, "Snow falls\r\n\r\nover the desktop.");
}

TEST_F(ObjInfoTest, UnusableLinesGiveTheirDefaults) {
  struct Case {
    const char* text;
    const char* type;
    std::int32_t days, interval, count;
    const char* name;
  };
  const Case cases[] = {
      {"H", "H", 1234567, 600, 99999, "00000007"},
      {"s\n", "D", 1234567, 600, 99999, "00000007"},
      {"H \n", "D", 1234567, 600, 99999, "00000007"},
      {"E\rx\rbad\r12 \r$3C\r-5\r\r", "E", 1234567, 60, -5, "00000007"},
      {"C\n\n\n 7\n+30\nabc\nName\n", "C", 7, 30, 99999, "Name"},
      {"", "D", 1234567, 600, 99999, "00000007"},
  };
  for (const Case& c : cases) {
    Info("00000007", c.text);
    const ObjInfo info = ReadObjInfo("00000007");
    EXPECT_EQ(info.ObjType, c.type) << c.text;
    EXPECT_EQ(info.EnableDays, c.days) << c.text;
    EXPECT_EQ(info.MinExecInterval, c.interval) << c.text;
    EXPECT_EQ(info.MaxExecCount, c.count) << c.text;
    EXPECT_EQ(info.ObjName, c.name) << c.text;
    EXPECT_EQ(info.BeginDate, 0) << c.text;
    EXPECT_EQ(info.EndDate, 0) << c.text;
    EXPECT_EQ(info.ObjDescription, "") << c.text;
  }
}

TEST_F(ObjInfoTest, NoInfoFile) {
  std::filesystem::create_directories(ObjectsDir() + "My effect");
  const ObjInfo info = ReadObjInfo("My effect");
  EXPECT_EQ(info.ObjType, "D");
  EXPECT_EQ(info.ObjName, "My effect");
  EXPECT_EQ(info.MinExecInterval, 120);
  EXPECT_EQ(info.EnableDays, 1234567);
  EXPECT_EQ(info.MaxExecCount, 99999);
}

TEST_F(ObjInfoTest, UnreadableFileRaises) {
  // An info "file" that is a folder exists but cannot be read, even by root.
  std::filesystem::create_directories(ObjectsDir() + "00000008/info.txt");
  EXPECT_THROW(ReadObjInfo("00000008"), std::runtime_error);
}

}  // namespace
