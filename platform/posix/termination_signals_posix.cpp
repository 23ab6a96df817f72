#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <csignal>
#include <initializer_list>

#include "platform/termination_signals.h"

namespace platform {
namespace {

int gPipe[2] = {-1, -1};
volatile std::sig_atomic_t gRequested = 0;

void OnSignal(int) {
  gRequested = 1;
  const char byte = 1;
  const ssize_t ignored = write(gPipe[1], &byte, 1);
  (void)ignored;
}

}  // namespace

void CatchTerminationSignals() {
  if (gPipe[0] >= 0 || pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int s : {SIGTERM, SIGINT, SIGHUP}) sigaction(s, &action, nullptr);
}

bool TerminationRequested() {
  return gRequested != 0;
}

int TerminationFd() {
  return gPipe[0];
}

}  // namespace platform
