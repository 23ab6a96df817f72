// The snowfall effect from the start of RunEffect: the time until its first
// flakes are on the screen, and the peak memory (proportional set size, and
// resident size for comparison) of the runner with all its helper
// processes while it plays. Run it on a display, e.g.
//   tests/support/with-xserver build/tests/runner/runner_benchmark
// Goals on the 2-core test machine: first frame under 1.5 s, peak memory
// under 250 MB.

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include "tests/runner/runner_fixture.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRounds = 5;
constexpr auto kPlayFor = 10s;  // how long memory is watched after the first frame

// A "Name:   123 kB" line of a /proc status file, in kB; 0 when missing.
long ProcKilobytes(pid_t pid, const char* file, const char* name) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/" + file);
  for (std::string line; std::getline(in, line);)
    if (line.rfind(name, 0) == 0) {
      std::istringstream value(line.substr(std::string(name).size()));
      long kb = 0;
      value >> kb;
      return kb;
    }
  return 0;
}

struct Memory {
  double pssMb = 0, rssMb = 0;
};

Memory FamilyMemory(pid_t runner) {
  std::set<pid_t> family = runner_test::Descendants(runner);
  family.insert(runner);
  long pss = 0, rss = 0;
  for (pid_t pid : family) {
    pss += ProcKilobytes(pid, "smaps_rollup", "Pss:");
    rss += ProcKilobytes(pid, "status", "VmRSS:");
  }
  return {pss / 1024.0, rss / 1024.0};
}

// A snowflake: a light grey-to-white pixel where the screen was dark.
bool FlakeAppeared(std::uint32_t before, std::uint32_t now) {
  auto level = [](std::uint32_t rgb) {
    return ((rgb >> 16) & 0xFF) + ((rgb >> 8) & 0xFF) + (rgb & 0xFF);
  };
  return level(now) > 3 * 60 && level(before) < 3 * 30;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main() {
  runner_test::XScreen screen;
  std::vector<double> firstFrameMs, peakPssMb, peakRssMb;
  for (int round = 0; round < kRounds; ++round) {
    runner_test::RunnerFixture runner;
    runner.InstallDemoEffect("snowfall", "00001001");
    const std::vector<std::uint32_t> before = screen.Grab();
    const Clock::time_point start = Clock::now();
    runner.Start("00001001");
    const pid_t pid = runner.process().pid();
    Memory peak;
    double firstFrame = -1;
    while (Clock::now() - start < 30s) {
      const Memory now = FamilyMemory(pid);
      peak.pssMb = std::max(peak.pssMb, now.pssMb);
      peak.rssMb = std::max(peak.rssMb, now.rssMb);
      if (firstFrame < 0) {
        const std::vector<std::uint32_t> pixels = screen.Grab();
        int flakes = 0;
        for (size_t i = 0; i < pixels.size(); ++i) flakes += FlakeAppeared(before[i], pixels[i]);
        if (flakes >= 5)
          firstFrame = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
      } else if (Clock::now() - start >
                 std::chrono::milliseconds(static_cast<int>(firstFrame)) + kPlayFor) {
        break;
      }
    }
    kill(pid, SIGKILL);
    runner.process().Wait();
    if (firstFrame < 0) {
      std::printf("round %d: no flakes seen within 30 s\n", round + 1);
      return 1;
    }
    std::printf("round %d: first frame %.0f ms, peak PSS %.1f MB, peak RSS sum %.1f MB\n",
                round + 1, firstFrame, peak.pssMb, peak.rssMb);
    firstFrameMs.push_back(firstFrame);
    peakPssMb.push_back(peak.pssMb);
    peakRssMb.push_back(peak.rssMb);
  }
  std::printf(
      "snowfall, median of %d: first frame %.0f ms (goal < 1500), peak PSS %.1f MB "
      "(goal < 250), peak RSS sum %.1f MB; highest peak PSS %.1f MB\n",
      kRounds, Median(firstFrameMs), Median(peakPssMb), Median(peakRssMb),
      *std::max_element(peakPssMb.begin(), peakPssMb.end()));
  return 0;
}
