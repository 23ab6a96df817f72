#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cerrno>
#include <initializer_list>

#include "runner/process_guard.h"

namespace runner {
namespace {

// Runs in the forked guard: waits until every write end of the pipe is
// closed, which happens only when the runner's process is gone.
[[noreturn]] void GuardMain(int readEnd, pid_t group) {
  prctl(PR_SET_NAME, "RunEffect-guard", 0, 0, 0);
  // A terminal's Ctrl+C or a SIGTERM to the group must not end the guard
  // before it has cleaned up after the runner.
  for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) signal(s, SIG_IGN);
  char byte;
  for (;;) {
    const ssize_t n = read(readEnd, &byte, 1);
    if (n == 0 || (n < 0 && errno != EINTR)) break;
  }
  kill(-group, SIGKILL);  // the guard is in the group and ends with it
  _exit(0);
}

}  // namespace

bool GuardProcessGroup() {
  const pid_t self = getpid();
  if (getpgrp() != self) setpgid(0, 0);
  if (getpgrp() != self) return false;
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return false;
  const pid_t guard = fork();
  if (guard < 0) {
    close(fds[0]);
    close(fds[1]);
    return false;
  }
  if (guard == 0) {
    close(fds[1]);
    GuardMain(fds[0], self);
  }
  // The write end stays open for the runner's whole life; close-on-exec keeps
  // it out of the helpers, so its end is the runner's end.
  close(fds[0]);
  return true;
}

bool RunningAsRoot() {
  return geteuid() == 0;
}

}  // namespace runner
