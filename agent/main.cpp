#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "agent/agent_host.h"
#include "agent/entry_sequence.h"
#include "agent/event_log.h"
#include "platform/termination_signals.h"

int main(int argc, char** argv) {
  platform::CatchTerminationSignals();
  AgentHost host(argc, argv);
  EntryServices services;
  services.dialogs = [&host]() -> platform::Dialogs& { return host.Dialogs(); };
  services.processMessages = [&host] { host.ProcessMessages(); };
  services.runAgent = [&host] { return host.RunAgent(); };
  EntrySequence sequence(std::vector<std::string>(argv + 1, argv + argc), std::move(services));
  try {
    return sequence.Run();
  } catch (const std::exception& e) {
    // Only a fault of the system itself gets here (say, no usable folder for
    // the instance lock): the agent cannot run.
    WriteLog(std::string("Cannot run the program: ") + e.what(), 0);
    std::fprintf(stderr, "sparkletide: %s\n", e.what());
    return 1;
  }
}
