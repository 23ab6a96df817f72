#pragma once
// A throw-away installation of the real agent: its own program folder,
// registry, menu and autostart folders and runtime folder, all pointed to by
// the environment that the agent processes inherit.

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/process.h"
#include "tests/support/test_support.h"

class AgentFolder {
 public:
  AgentFolder();
  ~AgentFolder();

  const std::string& prog() const { return prog_; }  // program folder, trailing "/"
  std::string root(const std::string& name) const { return dir_ / name; }
  std::string exe() const { return prog_ + "sparkletide"; }

  // Starts the agent executable (or another file of the folder) with `args`;
  // its standard error goes to stderr().
  platform::ChildProcess Start(const std::vector<std::string>& args,
                               const std::string& program = "sparkletide");
  // Runs to the end; the exit status, or -1 when it did not end in time.
  int Run(const std::vector<std::string>& args);
  std::string Stderr() const;

  // Log texts without their time stamps, in file order.
  std::vector<std::string> LogTexts() const;
  bool LogHas(const std::string& text) const;
  bool WaitForLog(const std::string& text) const;

  bool AgentRunning() const;  // the instance mutex is held
  // Agent processes of this folder that are not children of the test.
  std::vector<pid_t> RunningAgents() const;
  // Ends a running agent with SIGTERM and waits for it to be gone.
  bool StopAgent(pid_t pid) const;

 private:
  testing_support::TempDir dir_;
  std::string prog_;
  std::vector<std::unique_ptr<testing_support::ScopedEnv>> env_;
};
