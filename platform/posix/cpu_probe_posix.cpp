#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/cpu_probe.h"

namespace platform {

ProcStatCpuProbe::ProcStatCpuProbe(std::string path) : path_(std::move(path)) {}

void ProcStatCpuProbe::Measure() {
  std::ifstream in(path_);
  if (!in) throw std::runtime_error("Cannot read processor load from " + path_);
  std::vector<Counters> now;
  for (std::string line; std::getline(in, line);) {
    // "cpu0 user nice system idle iowait irq softirq steal ..." (not the "cpu" total line)
    if (line.size() < 4 || line.compare(0, 3, "cpu") != 0 || line[3] < '0' || line[3] > '9')
      continue;
    std::istringstream fields(line);
    std::string name;
    fields >> name;
    std::uint64_t value, total = 0, idle = 0;
    for (int column = 0; fields >> value; ++column) {
      if (column >= 8) break;  // guest times are already part of user time
      total += value;
      if (column == 3 || column == 4) idle += value;  // idle and iowait
    }
    now.push_back({total - idle, total});
  }
  if (now.empty()) throw std::runtime_error("No processor counters in " + path_);
  loads_.assign(now.size(), 0.0);
  for (size_t i = 0; i < now.size(); ++i) {
    const Counters before = i < previous_.size() ? previous_[i] : Counters{};
    const std::uint64_t total = now[i].total - before.total;
    const std::uint64_t busy = now[i].busy - before.busy;
    if (now[i].total >= before.total && now[i].busy >= before.busy && total > 0)
      loads_[i] = static_cast<double>(busy) / static_cast<double>(total);
  }
  previous_ = std::move(now);
}

double ProcStatCpuProbe::Load(int i) const {
  return i >= 0 && i < ProcessorCount() ? loads_[static_cast<size_t>(i)] : 0.0;
}

}  // namespace platform
