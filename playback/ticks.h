#pragma once
// Comparisons on the 32-bit millisecond tick, which wraps after 49.7 days.

#include <cstdint>

// Whether `now` lies after `deadline`, also across a wrap of the counter.
inline bool TickPassed(std::uint32_t now, std::uint32_t deadline) {
  return static_cast<std::int32_t>(now - deadline) > 0;
}
