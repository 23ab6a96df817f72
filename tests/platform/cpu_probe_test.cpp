#include <gtest/gtest.h>

#include "platform/cpu_probe.h"
#include "tests/support/test_support.h"

namespace {

std::string Stat(unsigned busy0, unsigned idle0, unsigned busy1, unsigned idle1) {
  auto line = [](const char* name, unsigned busy, unsigned idle) {
    // user nice system idle iowait irq softirq steal guest guest_nice
    return std::string(name) + " " + std::to_string(busy) + " 0 0 " + std::to_string(idle) +
           " 0 0 0 0 " + std::to_string(busy) + " 0\n";
  };
  return line("cpu ", busy0 + busy1, idle0 + idle1) + line("cpu0", busy0, idle0) +
         line("cpu1", busy1, idle1) + "intr 1 2 3\n";
}

TEST(ProcStatCpuProbe, LoadOfEachProcessorBetweenTheLastTwoMeasurements) {
  testing_support::TempDir dir;
  platform::ProcStatCpuProbe probe(dir / "stat");
  testing_support::WriteFileBytes(dir / "stat", Stat(100, 100, 0, 200));
  probe.Measure();
  ASSERT_EQ(probe.ProcessorCount(), 2);
  testing_support::WriteFileBytes(dir / "stat", Stat(200, 100, 25, 275));
  probe.Measure();
  EXPECT_DOUBLE_EQ(probe.Load(0), 1.0);
  EXPECT_DOUBLE_EQ(probe.Load(1), 0.25);
  testing_support::WriteFileBytes(dir / "stat", Stat(200, 100, 25, 275));
  probe.Measure();
  EXPECT_DOUBLE_EQ(probe.Load(0), 0.0);  // no time passed
}

TEST(ProcStatCpuProbe, UnreadableCountersRaise) {
  testing_support::TempDir dir;
  EXPECT_THROW(platform::ProcStatCpuProbe(dir / "missing").Measure(), std::runtime_error);
  testing_support::WriteFileBytes(dir / "stat", "intr 1\n");
  EXPECT_THROW(platform::ProcStatCpuProbe(dir / "stat").Measure(), std::runtime_error);
}

TEST(ProcStatCpuProbe, ReadsThisMachine) {
  platform::ProcStatCpuProbe probe;
  probe.Measure();
  probe.Measure();
  EXPECT_GE(probe.ProcessorCount(), 1);
  for (int i = 0; i < probe.ProcessorCount(); ++i) {
    EXPECT_GE(probe.Load(i), 0.0);
    EXPECT_LE(probe.Load(i), 1.0);
  }
}

}  // namespace
