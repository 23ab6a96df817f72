#pragma once
// SIGTERM, SIGINT and SIGHUP ask the agent to end through its orderly way
// out. Once caught, they only set a flag and make a descriptor readable, which
// the event loop watches; waits before the loop check the flag.

namespace platform {

// Catches the three signals from now on. Call once, early in main.
void CatchTerminationSignals();
bool TerminationRequested();
// Readable once a termination signal has arrived; -1 before CatchTerminationSignals.
int TerminationFd();

}  // namespace platform
