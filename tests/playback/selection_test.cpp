#include <map>

#include <gtest/gtest.h>

#include "common/uUtils.h"
#include "platform/datetime.h"
#include "playback/selection.h"
#include "tests/support/test_support.h"

namespace {

TEST(WeightedChoice, DrawsPickAsTheWeightsSay) {
  struct Case {
    std::vector<std::int32_t> counts;
    std::vector<std::size_t> pickForDraw;  // index picked for r = 0, 1, ...
  };
  const Case cases[] = {
      {{5, 3, 5}, {1, 1}},
      {{0, 1, 4}, {0, 0, 0, 0, 1, 1, 1}},
      {{-2, 0}, {0, 0}},  // the largest count is at least 0
  };
  for (const Case& c : cases) {
    const auto weights = SelectionWeights(c.counts);
    for (std::size_t r = 0; r < c.pickForDraw.size(); ++r)
      EXPECT_EQ(PickByDraw(weights, static_cast<std::int64_t>(r)), c.pickForDraw[r]) << r;
  }
}

TEST(WeightedChoice, NeverPicksTheMostShownAndIsUniformWhenAllAreEqual) {
  std::mt19937 random(7);
  std::map<std::size_t, int> picked;
  for (int i = 0; i < 3000; ++i) ++picked[WeightedChoice({5, 3, 5}, random)];
  EXPECT_EQ(picked, (std::map<std::size_t, int>{{1, 3000}}));

  picked.clear();
  for (int i = 0; i < 3000; ++i) ++picked[WeightedChoice({2, 2, 2}, random)];
  ASSERT_EQ(picked.size(), 3u);
  for (const auto& [index, times] : picked) EXPECT_NEAR(times, 1000, 150) << index;
}

TEST(DayOfWeek, SundayIsOne) {
  const std::pair<platform::DateParts, int> cases[] = {
      {{1899, 12, 30}, 7}, {{1899, 12, 31}, 1}, {{2026, 12, 11}, 6},
      {{2026, 12, 13}, 1}, {{1899, 12, 29}, 6},
  };
  for (const auto& [date, day] : cases)
    EXPECT_EQ(DayOfWeek(*platform::EncodeDateTime(date) + 0.99), day) << date.day;
}

class ScheduleTest : public ::testing::Test {
 protected:
  static double At(int day, int h, int n, int s = 0) {
    return *platform::EncodeDateTime({2026, 12, day, h, n, s, 0});
  }
  testing_support::TempDir dir;
  testing_support::ScopedEnv env{"SPARKLETIDE_REGISTRY", dir / "reg"};
};

TEST_F(ScheduleTest, WindowAndDaySwitches) {
  const double friday = At(11, 12, 0);
  EXPECT_TRUE(isTimeToExecAllow(friday));
  RegWrite("EaFr", "0");
  EXPECT_FALSE(isTimeToExecAllow(friday));
  EXPECT_TRUE(isTimeToExecAllow(At(12, 12, 0)));  // Saturday
  RegWrite("EaFr", "1");
  RegWrite("EEnabRandom", "0");
  EXPECT_FALSE(isTimeToExecAllow(friday));
  RegWrite("EEnabRandom", "1");

  RegWrite("EEMin1", "9");
  RegWrite("EEMin2", "30");
  RegWrite("EEMax1", "17");
  RegWrite("EEMax2", "0");
  EXPECT_FALSE(isTimeToExecAllow(At(11, 9, 29, 59)));
  EXPECT_TRUE(isTimeToExecAllow(At(11, 9, 30, 0)));
  EXPECT_TRUE(isTimeToExecAllow(At(11, 17, 0, 59)));
  EXPECT_FALSE(isTimeToExecAllow(At(11, 17, 1, 0)));
}

TEST_F(ScheduleTest, WindowPastMidnightAllowsNothing) {
  RegWrite("EEMin1", "22");
  RegWrite("EEMax1", "6");
  RegWrite("EEMax2", "0");
  for (int hour : {0, 3, 6, 12, 22, 23}) EXPECT_FALSE(isTimeToExecAllow(At(11, hour, 0))) << hour;
}

TEST_F(ScheduleTest, UnreadableNumbersFallBackToTheDefaults) {
  RegWrite("EEMin1", "early");
  RegWrite("EEMax1", "late");
  EXPECT_TRUE(isTimeToExecAllow(At(11, 0, 0)));
  EXPECT_TRUE(isTimeToExecAllow(At(11, 23, 59, 59)));
}

}  // namespace
