#pragma once
// Processor load, per processor, between the last two measurements.

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

class CpuProbe {
 public:
  virtual ~CpuProbe() = default;
  // Takes a new measurement; raises std::runtime_error when none can be taken.
  virtual void Measure() = 0;
  virtual int ProcessorCount() const = 0;
  // Load of processor `i` between the last two measurements, from 0 to 1.
  virtual double Load(int i) const = 0;
};

// Reads the kernel's per-processor time counters (/proc/stat).
class ProcStatCpuProbe final : public CpuProbe {
 public:
  explicit ProcStatCpuProbe(std::string path = "/proc/stat");
  void Measure() override;
  int ProcessorCount() const override { return static_cast<int>(loads_.size()); }
  double Load(int i) const override;

 private:
  struct Counters {
    std::uint64_t busy = 0, total = 0;
  };
  std::string path_;
  std::vector<Counters> previous_;
  std::vector<double> loads_;
};

}  // namespace platform
