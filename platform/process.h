#pragma once
// Starting, watching and stopping other programs.

#include <sys/types.h>

#include <string>
#include <vector>

namespace platform {

// A child process in a process group of its own, so that terminating it also
// ends the helper processes it started. It is always reaped: by StillActive
// once it has ended, by Terminate, or by the destructor, which terminates a
// child that still runs.
class ChildProcess {
 public:
  // Starts argv[0] with the arguments argv[1..]. Raises std::system_error
  // when the program cannot be started.
  static ChildProcess Spawn(const std::vector<std::string>& argv);

  ChildProcess() = default;
  ChildProcess(ChildProcess&& other) noexcept;
  ChildProcess& operator=(ChildProcess&& other) noexcept;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess();

  pid_t pid() const { return pid_; }
  // True while the process runs; reaps it once it has ended.
  bool StillActive();
  // Kills the whole process group and reaps the child.
  void Terminate();
  // Waits for the end; the exit status, or 128 + signal number.
  int Wait();

 private:
  explicit ChildProcess(pid_t pid) : pid_(pid) {}
  pid_t pid_ = -1;
  bool ended_ = true;
  int status_ = 0;
};

// Starts a program that is not our child and outlives us, with no terminal
// and standard streams on /dev/null. False, with `error` set, when the
// program cannot be started.
bool LaunchDetached(const std::vector<std::string>& argv, std::string* error);

// This process's id.
pid_t CurrentProcessId();

// Processes other than this one whose executable is the file at `path`.
std::vector<pid_t> ProcessesRunning(const std::string& path);

}  // namespace platform
