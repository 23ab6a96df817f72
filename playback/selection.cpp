#include "playback/selection.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "common/uUtils.h"
#include "platform/datetime.h"

std::vector<std::int64_t> SelectionWeights(const std::vector<std::int32_t>& counts) {
  std::int64_t max = 0;
  for (std::int32_t c : counts) max = std::max<std::int64_t>(max, c);
  std::vector<std::int64_t> weights;
  weights.reserve(counts.size());
  for (std::int32_t c : counts) weights.push_back(max - c);
  return weights;
}

std::size_t PickByDraw(const std::vector<std::int64_t>& weights, std::int64_t r) {
  for (std::size_t i = 0; i < weights.size(); ++i) {
    r -= weights[i];
    if (r < 0) return i;
  }
  return weights.size() - 1;
}

std::size_t WeightedChoice(const std::vector<std::int32_t>& counts, std::mt19937& random) {
  const std::vector<std::int64_t> weights = SelectionWeights(counts);
  const std::int64_t sum = std::accumulate(weights.begin(), weights.end(), std::int64_t{0});
  if (sum > 0)
    return PickByDraw(weights, std::uniform_int_distribution<std::int64_t>(0, sum - 1)(random));
  return std::uniform_int_distribution<std::size_t>(0, counts.size() - 1)(random);
}

int DayOfWeek(double dateTime) {
  // Day 0, 1899-12-30, was a Saturday.
  const long long day = static_cast<long long>(std::floor(dateTime));
  return static_cast<int>(((day + 6) % 7 + 7) % 7) + 1;
}

bool isTimeToExecAllow(double now) {
  if (RegRead("EEnabRandom", "1") == "0") return false;
  static const char* const kDaySwitches[] = {"EaSn", "EaMn", "EaTu", "EaWd",
                                             "EaTh", "EaFr", "EaSt"};
  if (RegRead(kDaySwitches[DayOfWeek(now) - 1], "1") == "0") return false;
  const long long from = (RegReadInt("EEMin1", 0) * 60ll + RegReadInt("EEMin2", 0)) * 60000ll;
  const long long to =
      ((RegReadInt("EEMax1", 23) * 60ll + RegReadInt("EEMax2", 59)) * 60ll + 59) * 1000ll;
  const platform::DateParts p = platform::DecodeDateTime(now);
  const long long time = ((p.hour * 60ll + p.minute) * 60ll + p.second) * 1000ll + p.millisecond;
  return from <= time && time <= to;
}
