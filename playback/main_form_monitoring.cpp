// The guards against misbehaving effects: processors kept saturated while an
// effect plays, and runners that stop reporting themselves alive.

#include <cmath>

#include "agent/UMain.h"
#include "agent/event_log.h"
#include "common/uUtils.h"
#include "playback/ticks.h"

namespace {
constexpr std::uint32_t kHangPassMs = 30000;
constexpr std::uint32_t kSilentLimitMs = 60000;
}  // namespace

void TFMain::CheckCpuUsage() {
  if (!EffectPlaying) return;
  platform::CpuProbe& cpu = services_.cpu;
  cpu.Measure();
  for (int i = 0; i < cpu.ProcessorCount(); ++i) {
    const auto load = static_cast<std::int32_t>(std::lround(cpu.Load(i) * 100));
    if (load > CpuLoadScore) ++CpuLoadScore;
    if (load < CpuLoadScore) CpuLoadScore -= 2;
  }
  if (CpuLoadScore <= 99) return;
  if (RegRead("EProtectCPU", "1") == "1") {
    ClearObjList("ESHCD", true);
    WriteLog("All effects is stopped because CPU resources too low", 0);
  }
  CpuLoadScore = 0;
}

void TFMain::CheckHangEffects() {
  const std::uint32_t now = services_.clock.Tick();
  if (NextHangCheck != 0 && !TickPassed(now, NextHangCheck)) return;
  NextHangCheck = now + kHangPassMs;
  // Entries removed by a stop during the pass are not visited.
  for (const RunEntry* entry : RunList.Snapshot()) {
    if (!RunList.Contains(entry) || now - entry->LastAlive <= kSilentLimitMs) continue;
    const std::int32_t id = entry->ObjID;
    if (RegRead("EProtectHang", "1") == "1") {
      WriteLog("Effect " + PadId(id) + " is not responding. Terminate it.", 0);
      StopEffect(id, true);
    } else {
      RunList.MarkAlive(id, now);
    }
  }
}
