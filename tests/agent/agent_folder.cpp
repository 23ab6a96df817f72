#include "tests/agent/agent_folder.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/named_mutex.h"

using testing_support::ReadFileBytes;
using testing_support::WaitUntil;

AgentFolder::AgentFolder() : prog_(dir_ / "prog/") {
  std::filesystem::create_directories(prog_);
  std::filesystem::create_directories(dir_ / "run");
  std::filesystem::copy_file(SPARKLETIDE_AGENT, exe());
  chmod(exe().c_str(), 0755);
  for (const auto& [name, folder] : {std::pair{"SPARKLETIDE_REGISTRY", "reg"},
                                     {"XDG_CONFIG_HOME", "config"},
                                     {"XDG_DATA_HOME", "data"},
                                     {"XDG_RUNTIME_DIR", "run"}})
    env_.push_back(std::make_unique<testing_support::ScopedEnv>(name, dir_ / folder));
  testing_support::WriteFileBytes(dir_ / "stderr", "");
}

AgentFolder::~AgentFolder() {
  for (const char* name : {"sparkletide", "pnew"})
    for (pid_t pid : platform::ProcessesRunning(prog_ + name)) kill(pid, SIGKILL);
}

platform::ChildProcess AgentFolder::Start(const std::vector<std::string>& args,
                                          const std::string& program) {
  std::vector<std::string> argv = {"/bin/sh", "-c", "exec \"$0\" \"$@\" 2>>" + dir_ / "stderr",
                                   prog_ + program};
  argv.insert(argv.end(), args.begin(), args.end());
  return platform::ChildProcess::Spawn(argv);
}

int AgentFolder::Run(const std::vector<std::string>& args) {
  platform::ChildProcess child = Start(args);
  if (!WaitUntil([&] { return !child.StillActive(); }, std::chrono::seconds(60))) return -1;
  return child.Wait();
}

std::string AgentFolder::Stderr() const {
  return ReadFileBytes(dir_ / "stderr");
}

std::vector<std::string> AgentFolder::LogTexts() const {
  return testing_support::LogTexts(prog_ + "sparkletide.log");
}

bool AgentFolder::LogHas(const std::string& text) const {
  const auto texts = LogTexts();
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

bool AgentFolder::WaitForLog(const std::string& text) const {
  return WaitUntil([&] { return LogHas(text); });
}

bool AgentFolder::AgentRunning() const {
  return platform::NamedMutex::IsHeld("1.139");
}

std::vector<pid_t> AgentFolder::RunningAgents() const {
  return platform::ProcessesRunning(exe());
}

bool AgentFolder::StopAgent(pid_t pid) const {
  kill(pid, SIGTERM);
  // Gone once it has no executable any more (a zombie has none).
  const std::string exeLink = "/proc/" + std::to_string(pid) + "/exe";
  return WaitUntil([&] {
    char target[16];
    return readlink(exeLink.c_str(), target, sizeof target) < 0;
  });
}
