#include "runner/alive_probe.h"

namespace runner {

bool AliveProbe::ProbeDue(Millis now, std::uint64_t* serial) {
  if (outstanding_ && now - sentAt_ <= limit_) return false;
  if (!outstanding_ && now < nextProbe_) return false;
  outstanding_ = true;
  sentAt_ = now;
  nextProbe_ = now + interval_;
  *serial = ++serial_;
  return true;
}

bool AliveProbe::Answered(std::uint64_t serial, Millis now) {
  if (!outstanding_ || serial != serial_) return false;
  outstanding_ = false;
  return now - sentAt_ <= limit_;
}

}  // namespace runner
