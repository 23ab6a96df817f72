#pragma once
// A clock that tests set and advance by hand.

#include "platform/clock.h"

namespace platform {

class FakeClock final : public Clock {
 public:
  std::uint32_t Tick() const override { return tick_; }
  double Now() const override { return now_; }

  void SetTick(std::uint32_t tick) { tick_ = tick; }
  void SetNow(double now) { now_ = now; }
  // Moves both the tick (wrapping) and the local time forward.
  void Advance(std::uint32_t ms) {
    tick_ += ms;
    now_ += ms / 86400000.0;
  }

 private:
  std::uint32_t tick_ = 0;
  double now_ = 0;
};

}  // namespace platform
