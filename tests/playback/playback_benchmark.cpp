// How long the selection takes over a large catalogue, and what one
// heartbeat costs when nothing is due. Goal: under 1 ms per idle heartbeat
// with 1 000 effects.

#include <benchmark/benchmark.h>

#include "agent/UMain.h"
#include "agent/agent_application.h"
#include "common/uUtils.h"
#include "platform/datetime.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_cpu_probe.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_hot_keys.h"
#include "platform/fake/fake_input.h"
#include "platform/fake/scripted_dialogs.h"
#include "tests/agent/fake_agent_window.h"
#include "tests/support/test_support.h"

namespace {

struct Agent {
  explicit Agent(int effects) {
    SetAppDir(dir.path());
    clock.SetNow(*platform::EncodeDateTime({2026, 12, 7, 12, 0, 0, 0}));
    clock.SetTick(10000000);
    desktop.SetScreen({1280, 1024});
    FMain = std::make_unique<TFMain>(TFMain::Services{clock, hotKeys, desktop, input, cpu, dialogs,
                                                      0, static_cast<AgentApplication*>(qApp)});
    FMain->FObjects = &window;
    // Effects that are all walked but none of which may play now.
    for (int id = 1; id <= effects; ++id)
      FMain->AddNewObject(id, "Effect", id % 2 ? "H" : "S", "", "", "", 100, 1234567, 0,
                          clock.Now() + 1, clock.Now() + 2);
    RegWrite("ELogLevel", "0");
  }

  testing_support::TempDir dir;
  testing_support::ScopedEnv registry{"SPARKLETIDE_REGISTRY", dir / "reg"};
  platform::FakeClock clock;
  platform::FakeHotKeys hotKeys;
  platform::FakeDesktop desktop;
  platform::FakeInput input;
  platform::FakeCpuProbe cpu;
  platform::ScriptedDialogs dialogs;
  FakeAgentWindow window;
  std::unique_ptr<TFMain> FMain;
};

void FireObjOverTheCatalogue(benchmark::State& state) {
  Agent agent(static_cast<int>(state.range(0)));
  for (auto _ : state) agent.FMain->FireObj("ESHD", false);
  state.SetComplexityN(state.range(0));
}
BENCHMARK(FireObjOverTheCatalogue)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

void IdleHeartbeat(benchmark::State& state) {
  Agent agent(1000);
  agent.FMain->TimerTimer();  // the first tick sets the checks' deadlines
  for (auto _ : state) {
    agent.clock.Advance(1);
    agent.FMain->TimerTimer();
  }
}
BENCHMARK(IdleHeartbeat)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  AgentApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
