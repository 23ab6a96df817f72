#pragma once
// Processor loads set by a test; each measurement takes the next set.

#include <deque>
#include <stdexcept>
#include <vector>

#include "platform/cpu_probe.h"

namespace platform {

class FakeCpuProbe final : public CpuProbe {
 public:
  // The loads (0..1, one per processor) the next measurement gives; the last
  // set given stays once the queue is used up.
  void Next(std::vector<double> loads) { queue_.push_back(std::move(loads)); }
  void FailNext() { fail_ = true; }

  void Measure() override {
    if (fail_) {
      fail_ = false;
      throw std::runtime_error("Cannot read processor load");
    }
    if (!queue_.empty()) {
      loads_ = queue_.front();
      queue_.pop_front();
    }
  }
  int ProcessorCount() const override { return static_cast<int>(loads_.size()); }
  double Load(int i) const override { return loads_.at(static_cast<size_t>(i)); }

 private:
  std::deque<std::vector<double>> queue_;
  std::vector<double> loads_;
  bool fail_ = false;
};

}  // namespace platform
