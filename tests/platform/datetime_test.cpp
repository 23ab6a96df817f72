#include <gtest/gtest.h>

#include "platform/datetime.h"

using platform::DateParts;
using platform::DecodeDateTime;
using platform::EncodeDateTime;
using platform::FormatDateTime;

namespace {

TEST(DateTime, KnownDaysAndTimes) {
  struct Case {
    DateParts parts;
    double value;
    const char* text;
  };
  const Case cases[] = {
      {{1899, 12, 30, 0, 0, 0, 0}, 0.0, "30.12.1899 00:00:00"},
      {{1900, 1, 1, 0, 0, 0, 0}, 2.0, "01.01.1900 00:00:00"},
      {{2000, 2, 29, 18, 0, 0, 0}, 36585.75, "29.02.2000 18:00:00"},
      {{1899, 12, 29, 6, 0, 0, 0}, -1.25, "29.12.1899 06:00:00"},
      {{2026, 12, 11, 12, 30, 15, 0},
       46367 + (12 * 3600 + 30 * 60 + 15) / 86400.0,
       "11.12.2026 12:30:15"},
  };
  for (const Case& c : cases) {
    const auto encoded = EncodeDateTime(c.parts);
    ASSERT_TRUE(encoded) << c.text;
    EXPECT_NEAR(*encoded, c.value, 1e-9) << c.text;
    EXPECT_EQ(FormatDateTime(c.value), c.text);
    const DateParts back = DecodeDateTime(c.value);
    EXPECT_EQ(std::tie(back.year, back.month, back.day, back.hour, back.minute, back.second),
              std::tie(c.parts.year, c.parts.month, c.parts.day, c.parts.hour, c.parts.minute,
                       c.parts.second))
        << c.text;
  }
}

TEST(DateTime, InvalidPartsAreRefused) {
  EXPECT_FALSE(EncodeDateTime({2023, 2, 29, 0, 0, 0, 0}));
  EXPECT_FALSE(EncodeDateTime({2023, 13, 1, 0, 0, 0, 0}));
  EXPECT_FALSE(EncodeDateTime({2023, 4, 31, 0, 0, 0, 0}));
  EXPECT_FALSE(EncodeDateTime({2023, 1, 1, 24, 0, 0, 0}));
  EXPECT_FALSE(EncodeDateTime({2023, 1, 1, 0, 60, 0, 0}));
}

TEST(DateTime, RoundsToTheNearestMillisecondAcrossMidnight) {
  // A hair below the next day reads as that day's midnight.
  EXPECT_EQ(FormatDateTime(1.0 - 1e-12), "31.12.1899 00:00:00");
}

}  // namespace
