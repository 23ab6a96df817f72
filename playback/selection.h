#pragma once
// The arithmetic of effect selection: which candidate the weighted choice
// takes, and whether the weekly schedule allows the random mode now.

#include <cstdint>
#include <random>
#include <vector>

// Weights of the candidates with these play counts: the largest count (at
// least 0) minus each count, so effects shown less often are preferred.
std::vector<std::int64_t> SelectionWeights(const std::vector<std::int32_t>& counts);

// The candidate that the draw `r` (0 <= r < sum of the weights) picks: the
// first one after whose weight, subtracted from r, r is below 0.
std::size_t PickByDraw(const std::vector<std::int64_t>& weights, std::int64_t r);

// Draws a candidate: by weight, or uniformly when all weights are 0.
// `counts` must not be empty.
std::size_t WeightedChoice(const std::vector<std::int32_t>& counts, std::mt19937& random);

// Day of the week of a date-time, 1 = Sunday to 7 = Saturday.
int DayOfWeek(double dateTime);

// Whether the stored schedule (EEnabRandom, the day switches EaSn..EaSt and
// the daily window EEMin1:EEMin2 to EEMax1:EEMax2:59) allows the random mode
// at `now`. The window does not wrap past midnight.
bool isTimeToExecAllow(double now);
