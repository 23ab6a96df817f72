// Stands in for the runner in the process guard test: it guards its process
// group, starts a helper that ignores the usual termination signals (as a
// busy helper would), writes "<own pid> <helper pid>" to the file named by
// its argument and waits to be killed.

#include <signal.h>
#include <unistd.h>

#include <fstream>
#include <initializer_list>

#include "runner/process_guard.h"

int main(int argc, char** argv) {
  if (argc != 2 || !runner::GuardProcessGroup()) return 2;
  const pid_t helper = fork();
  if (helper == 0) {
    for (int s : {SIGINT, SIGTERM, SIGHUP}) signal(s, SIG_IGN);
    execl("/bin/sleep", "sleep", "600", static_cast<char*>(nullptr));
    _exit(127);
  }
  std::ofstream(argv[1]) << getpid() << " " << helper << "\n";
  for (;;) pause();
}
