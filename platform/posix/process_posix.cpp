#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "platform/process.h"

extern char** environ;

namespace platform {
namespace {

std::vector<char*> ArgvPointers(const std::vector<std::string>& argv) {
  std::vector<char*> pointers;
  for (const std::string& a : argv) pointers.push_back(const_cast<char*>(a.c_str()));
  pointers.push_back(nullptr);
  return pointers;
}

int DecodeStatus(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

}  // namespace

ChildProcess ChildProcess::Spawn(const std::vector<std::string>& argv) {
  if (argv.empty()) throw std::system_error(EINVAL, std::generic_category(), "empty command line");
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK);
  posix_spawnattr_setpgroup(&attr, 0);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attr, &none);
  pid_t pid = -1;
  std::vector<char*> args = ArgvPointers(argv);
  const int rc = posix_spawn(&pid, argv[0].c_str(), nullptr, &attr, args.data(), environ);
  posix_spawnattr_destroy(&attr);
  if (rc != 0) throw std::system_error(rc, std::generic_category(), "cannot start " + argv[0]);
  ChildProcess child(pid);
  child.ended_ = false;
  return child;
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(other.pid_), ended_(other.ended_), status_(other.status_) {
  other.pid_ = -1;
  other.ended_ = true;
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    if (!ended_) Terminate();
    pid_ = other.pid_;
    ended_ = other.ended_;
    status_ = other.status_;
    other.pid_ = -1;
    other.ended_ = true;
  }
  return *this;
}

ChildProcess::~ChildProcess() {
  if (!ended_) Terminate();
}

bool ChildProcess::StillActive() {
  if (ended_) return false;
  int status = 0;
  pid_t rc;
  do rc = waitpid(pid_, &status, WNOHANG);
  while (rc < 0 && errno == EINTR);
  if (rc == 0) return true;
  ended_ = true;
  status_ = rc == pid_ ? DecodeStatus(status) : -1;
  return false;
}

void ChildProcess::Terminate() {
  if (ended_) return;
  kill(-pid_, SIGKILL);
  kill(pid_, SIGKILL);
  Wait();
}

int ChildProcess::Wait() {
  if (!ended_) {
    int status = 0;
    pid_t rc;
    do rc = waitpid(pid_, &status, 0);
    while (rc < 0 && errno == EINTR);
    ended_ = true;
    status_ = rc == pid_ ? DecodeStatus(status) : -1;
  }
  return status_;
}

bool LaunchDetached(const std::vector<std::string>& argv, std::string* error) {
  if (argv.empty() || access(argv[0].c_str(), X_OK) != 0) {
    if (error)
      *error = (argv.empty() ? std::string("empty command line")
                             : argv[0] + ": " + std::strerror(errno));
    return false;
  }
  // A short-lived shell in a new session starts the program in the
  // background and ends; the program is then adopted by init and never
  // becomes a zombie of ours.
  std::vector<std::string> shell = {"/bin/sh", "-c", "\"$@\" &", "sh"};
  shell.insert(shell.end(), argv.begin(), argv.end());
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attr, &none);
  pid_t pid = -1;
  std::vector<char*> args = ArgvPointers(shell);
  const int rc = posix_spawn(&pid, shell[0].c_str(), &files, &attr, args.data(), environ);
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&files);
  if (rc != 0) {
    if (error) *error = std::string("cannot start /bin/sh: ") + std::strerror(rc);
    return false;
  }
  int status = 0;
  pid_t waited;
  do
    waited = waitpid(pid, &status, 0);
  while (waited < 0 && errno == EINTR);
  if (waited != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    if (error) *error = "cannot start " + argv[0];
    return false;
  }
  return true;
}

pid_t CurrentProcessId() {
  return getpid();
}

std::vector<pid_t> ProcessesRunning(const std::string& path) {
  std::vector<pid_t> found;
  DIR* proc = opendir("/proc");
  if (!proc) return found;
  const pid_t self = getpid();
  std::string target(4096, '\0');
  while (const dirent* entry = readdir(proc)) {
    char* end = nullptr;
    const long pid = std::strtol(entry->d_name, &end, 10);
    if (pid <= 0 || *end != '\0' || pid == self) continue;
    const std::string link = std::string("/proc/") + entry->d_name + "/exe";
    const ssize_t n = readlink(link.c_str(), target.data(), target.size());
    if (n > 0 && std::string_view(target.data(), static_cast<size_t>(n)) == path)
      found.push_back(static_cast<pid_t>(pid));
  }
  closedir(proc);
  return found;
}

}  // namespace platform
