#include "agent/entry_sequence.h"

#include <filesystem>
#include <thread>

#include "agent/event_log.h"
#include "agent/version.h"
#include "common/uUtils.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/special_folders.h"
#include "platform/termination_signals.h"

namespace {

using platform::kExeSuffix;

const std::string kMutexName(kAgentVersion);
constexpr auto kReloadPoll = std::chrono::milliseconds(500);
constexpr auto kHopPoll = std::chrono::milliseconds(250);

// Copies `from` to `to` so that `to` is at every moment either its old
// content or the complete copy. The copy is executable.
bool CopyIntoPlace(const std::string& from, const std::string& to, std::string* error) {
  try {
    platform::WriteFileDurably(to, platform::ReadWholeFile(from), 0755);
    return true;
  } catch (const std::exception& e) {
    *error = e.what();
    return false;
  }
}

bool Launch(const std::vector<std::string>& argv) {
  std::string error;
  if (platform::LaunchDetached(argv, &error)) return true;
  WriteLog("Cannot execute the " + argv[0] + ": " + error, 0);
  return false;
}

}  // namespace

EntrySequence::EntrySequence(std::vector<std::string> args, EntryServices services)
    : args_(std::move(args)), services_(std::move(services)) {}

void EntrySequence::Sleep(std::chrono::milliseconds ms) {
  std::this_thread::sleep_for(ms);
  services_.processMessages();
}

int EntrySequence::Run() {
  SetAppDir(platform::ExecutableDir());
  exePath_ = platform::ExecutablePath();
  agentExe_ = AppDir() + "sparkletide" + std::string(kExeSuffix);
  NewVersionPath = AppDir() + "pnew" + std::string(kExeSuffix);
  tmpCopy_ = AppDir() + "tmpcopy";
  WriteLog("Start the program " + exePath_, 1);

  const std::string first = args_.empty() ? std::string() : args_[0];
  if (first == "reload") {
    ReloadMode = true;
    WriteLog("Wait for terminate old copy of the program " + exePath_, 0);
    bool opened;
    do {
      opened = platform::NamedMutex::IsHeld(kMutexName);
      Sleep(kReloadPoll);
    } while (opened && !platform::TerminationRequested());
    if (opened) return WayOut();
    WriteLog("OK, old copy of program " + exePath_ + " is termainated", 0);
  }

  if (first == "uninstall" && Uninstall()) return 0;

  // Instance step: the mutex is not had when another copy holds it.
  MutexHandle = platform::NamedMutex::Create(kMutexName);
  if (!MutexHandle.held()) {
    WriteLog("This is a second copy of program in memory.", 1);
    if (args_.empty()) return WayOut();
  }

  if (args_.empty() && FileFound(NewVersionPath) && !PendingUpdateCheck()) return WayOut();

  if (!ReloadMode && !args_.empty()) {
    const char hop = first.empty() ? '\0' : first[0];
    if (hop == 'n') {
      SwapHop2();
      return WayOut();
    }
    if (hop != 'd' || !SwapHop3()) return WayOut();
  }

  if (!CreateFolders()) return WayOut(1);
  const int status = services_.runAgent();
  return WayOut(status);
}

int EntrySequence::WayOut(int status) {
  MutexHandle.Release();
  WriteLog("Terminate the program " + exePath_, 1);
  return status;
}

// True when the process is to end here, without the closing log line.
bool EntrySequence::Uninstall() {
  platform::Dialogs& dialogs = services_.dialogs();
  if (platform::NamedMutex::IsHeld(kMutexName)) {
    dialogs.Show(platform::DialogKind::Warning,
                 "You must close application sparkletide" + std::string(kExeSuffix) + " before",
                 platform::DialogButtons::Ok);
    return true;
  }
  if (dialogs.Show(platform::DialogKind::Warning, "Do you want uninstall sparkletide agent?",
                   platform::DialogButtons::OkCancel) != platform::DialogAnswer::Ok)
    return false;
  platform::RemoveFile(StartupFolder() + "/" + platform::ShortcutFileName("sparkletide"));
  DeleteUninstallKey();
  DeleteProgramGroup();
  DeleteClientKey();
  SelfDeleteBatch(AppDir());
  return true;
}

// Hop 1 of the swap. False when this process is to end so the new version
// can replace its executable; true to go on under the current version.
bool EntrySequence::PendingUpdateCheck() {
  if (FileFound(tmpCopy_)) {
    WriteLog("Delete temporary copy of the new agent's version", 1);
    platform::RemoveFile(tmpCopy_);
    platform::RemoveFile(NewVersionPath);
    return true;
  }
  WriteLog("Copy new version of agent from " + NewVersionPath + " to " + tmpCopy_, 1);
  std::string error;
  if (!CopyIntoPlace(NewVersionPath, tmpCopy_, &error)) {
    WriteLog("Cannot copy " + NewVersionPath + " to " + tmpCopy_ + ": " + error, 0);
    return true;
  }
  WriteLog("Execution a new version of agent " + NewVersionPath + " in hide mode", 1);
  if (!Launch({NewVersionPath, "n"})) {
    platform::RemoveFile(tmpCopy_);
    return true;
  }
  return false;
}

// Hop 2, run as the new version: replaces the agent's executable by the copy
// and starts it. The old executable stays whenever the copy cannot be made.
void EntrySequence::SwapHop2() {
  if (!FileFound(agentExe_)) return;
  WriteLog("Wait for terminate the " + agentExe_, 1);
  if (!WaitUntilNotRunning(agentExe_)) return;
  // The copy is read whole before the old executable is touched.
  std::string copy, error = "the file is empty";
  try {
    copy = platform::ReadWholeFile(tmpCopy_);
  } catch (const std::exception& e) {
    error = e.what();
  }
  if (copy.empty()) {
    WriteLog("Cannot read " + tmpCopy_ + " (" + error + "), keep the " + agentExe_, 0);
    Launch({agentExe_, "d"});
    return;
  }
  WriteLog("Delete the file " + agentExe_, 1);
  WriteLog("Copy the file " + tmpCopy_ + " to " + agentExe_, 1);
  try {
    platform::WriteFileDurably(agentExe_, copy, 0755);
  } catch (const std::exception& e) {
    WriteLog(
        "Cannot copy " + tmpCopy_ + " to " + agentExe_ + ": " + e.what() + ", keep the old one", 0);
    Launch({agentExe_, "d"});
    return;
  }
  WriteLog("Delete the " + tmpCopy_, 1);
  platform::RemoveFile(tmpCopy_);
  WriteLog("Execute the " + agentExe_, 1);
  Launch({agentExe_, "d"});
}

// Hop 3, the new agent: removes the new-version file once hop 2 has ended and
// takes the instance mutex. False when the agent is not to start.
bool EntrySequence::SwapHop3() {
  WriteLog("Wait for terminate the " + NewVersionPath, 1);
  if (FileFound(NewVersionPath)) {
    if (!WaitUntilNotRunning(NewVersionPath)) return false;
    if (!platform::RemoveFile(NewVersionPath))
      WriteLog("Cannot delete the " + NewVersionPath, 0);
    else
      WriteLog("Delete the " + NewVersionPath, 1);
  }
  if (!MutexHandle.held()) {
    MutexHandle = platform::NamedMutex::Create(kMutexName);
    if (!MutexHandle.held()) {
      WriteLog("This is a second copy of program in memory.", 1);
      return false;
    }
  }
  return true;
}

bool EntrySequence::WaitUntilNotRunning(const std::string& executable) {
  const auto deadline = std::chrono::steady_clock::now() + services_.hopWaitLimit;
  while (!platform::ProcessesRunning(executable).empty()) {
    if (platform::TerminationRequested()) return false;
    if (std::chrono::steady_clock::now() >= deadline) {
      WriteLog("The " + executable + " is still running after " +
                   std::to_string(services_.hopWaitLimit.count() / 1000) +
                   " seconds, the update is put off",
               0);
      return false;
    }
    Sleep(kHopPoll);
  }
  return true;
}

bool EntrySequence::CreateFolders() {
  for (const std::string& folder : {ObjectsDir(), ObjectsDir() + "ZIP/"}) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec || !std::filesystem::is_directory(folder)) {
      const std::string text = "Cannot create the folder " + folder + ": " +
                               (ec ? ec.message() : std::string("not a folder"));
      WriteLog(text, 0);
      services_.dialogs().Show(platform::DialogKind::Error, text, platform::DialogButtons::Ok);
      return false;
    }
  }
  return true;
}
