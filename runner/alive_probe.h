#pragma once
// When the runner may tell the agent that it is alive: only after the page's
// renderer has answered a script round trip in time. One probe is out at a
// time; a probe that stays unanswered past the limit is given up and a new
// one may follow, and a late answer to an old probe counts for nothing.

#include <chrono>
#include <cstdint>

namespace runner {

class AliveProbe {
 public:
  using Millis = std::chrono::milliseconds;
  // A probe goes out every `interval`; its answer counts within `limit`.
  AliveProbe(Millis interval, Millis limit) : interval_(interval), limit_(limit) {}

  // Whether a new probe is due at `now`; when it is, it is taken as sent and
  // its serial number is stored in `serial`.
  bool ProbeDue(Millis now, std::uint64_t* serial);
  // The answer to probe `serial` arrived at `now`; true when it proves the
  // renderer alive (the current probe, in time).
  bool Answered(std::uint64_t serial, Millis now);

 private:
  Millis interval_, limit_;
  std::uint64_t serial_ = 0;
  bool outstanding_ = false;
  Millis sentAt_{0};
  Millis nextProbe_{0};
};

}  // namespace runner
