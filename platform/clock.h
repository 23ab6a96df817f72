#pragma once
// Time as the agent sees it: a 32-bit millisecond tick that wraps like the
// original counter, and the local date-time "now". Logic takes a Clock so that
// tests can drive time.

#include <cstdint>

namespace platform {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since an arbitrary start, wrapping at 2^32.
  virtual std::uint32_t Tick() const = 0;
  // Local date and time (see datetime.h).
  virtual double Now() const = 0;
};

class SystemClock final : public Clock {
 public:
  std::uint32_t Tick() const override;
  double Now() const override;
};

}  // namespace platform
