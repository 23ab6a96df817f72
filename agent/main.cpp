#include <string>
#include <vector>

#include "agent/agent_host.h"
#include "agent/entry_sequence.h"
#include "platform/termination_signals.h"

int main(int argc, char** argv) {
  platform::CatchTerminationSignals();
  AgentHost host(argc, argv);
  EntryServices services;
  services.dialogs = [&host]() -> platform::Dialogs& { return host.Dialogs(); };
  services.processMessages = [&host] { host.ProcessMessages(); };
  services.runAgent = [&host] { return host.RunAgent(); };
  EntrySequence sequence(std::vector<std::string>(argv + 1, argv + argc), std::move(services));
  return sequence.Run();
}
