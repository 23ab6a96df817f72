#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "platform/files.h"
#include "tests/support/test_support.h"

namespace {

using testing_support::TempDir;

TEST(ReadWholeFile, ReadsFilesOfEverySizeWhole) {
  TempDir dir;
  for (const size_t size : {size_t{0}, size_t{1}, size_t{4096}, size_t{4097}, size_t{3} << 20}) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 % 251);
    const std::string path = dir / ("f" + std::to_string(size));
    platform::WriteFileDurably(path, bytes);
    EXPECT_EQ(platform::ReadWholeFile(path), bytes) << size << " bytes";
  }
}

TEST(ReadWholeFile, ReadsFilesThatReportNoSize) {
  // Files under /proc say they are empty and still have content.
  std::ifstream stream("/proc/self/status");
  const std::string expected((std::istreambuf_iterator<char>(stream)), {});
  const std::string read = platform::ReadWholeFile("/proc/self/status");
  ASSERT_FALSE(read.empty());
  EXPECT_EQ(read.substr(0, read.find('\n')), expected.substr(0, expected.find('\n')));
}

TEST(ReadWholeFile, MissingFileRaises) {
  TempDir dir;
  EXPECT_THROW(platform::ReadWholeFile(dir / "missing"), std::exception);
}

}  // namespace
