#pragma once
// The program's entry sequence: decides from the command line and the files
// in the program folder whether to run the agent, uninstall it, or carry out
// one hop of the self-update swap, and keeps one agent per version running.

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "platform/dialogs.h"
#include "platform/named_mutex.h"

struct EntryServices {
  // Message boxes; asked for only when a box is shown.
  std::function<platform::Dialogs&()> dialogs;
  // Lets pending window messages through during the waits.
  std::function<void()> processMessages = [] {};
  // Sets up the application, creates the forms and runs the message loop.
  std::function<int()> runAgent;
  // Upper bound of the waits for an earlier hop of the swap to end.
  std::chrono::milliseconds hopWaitLimit = std::chrono::minutes(3);
};

class EntrySequence {
 public:
  EntrySequence(std::vector<std::string> args, EntryServices services);
  // Runs the whole sequence; the result is the process exit status.
  int Run();

 private:
  bool Uninstall();
  bool PendingUpdateCheck();
  void SwapHop2();
  bool SwapHop3();
  bool CreateFolders();
  bool WaitUntilNotRunning(const std::string& executable);
  void Sleep(std::chrono::milliseconds ms);
  int WayOut(int status = 0);

  std::vector<std::string> args_;
  EntryServices services_;
  std::string exePath_;
  std::string agentExe_;       // AppDir + "sparkletide"
  std::string NewVersionPath;  // AppDir + "pnew"
  std::string tmpCopy_;        // AppDir + "tmpcopy"
  bool ReloadMode = false;
  platform::NamedMutex MutexHandle;
};
