#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <system_error>

#include "platform/paths.h"
#include "platform/special_folders.h"

namespace platform {

std::string ExecutablePath() {
  std::string buffer(4096, '\0');
  const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (n <= 0) throw std::system_error(errno, std::generic_category(), "readlink /proc/self/exe");
  if (static_cast<size_t>(n) == buffer.size())
    throw std::system_error(ENAMETOOLONG, std::generic_category(), "readlink /proc/self/exe");
  buffer.resize(static_cast<size_t>(n));
  return buffer;
}

std::string ExecutableDir() {
  const std::string path = ExecutablePath();
  return path.substr(0, path.rfind('/') + 1);
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string result(folder);
  while (!result.empty() && result.back() == '/' && !name.empty() && name.front() == '/')
    result.pop_back();
  if (!result.empty() && result.back() != '/' && !name.empty() && name.front() != '/')
    result += '/';
  result += name;
  return result;
}

std::string EnvOr(const char* name, std::string fallback) {
  const char* value = getenv(name);
  return value && *value ? std::string(value) : fallback;
}

std::string HomeDir() {
  if (const char* home = getenv("HOME"); home && *home) return home;
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/";
}

std::string ConfigHome() {
  return EnvOr("XDG_CONFIG_HOME", JoinPath(HomeDir(), ".config"));
}

std::string DataHome() {
  return EnvOr("XDG_DATA_HOME", JoinPath(HomeDir(), ".local/share"));
}

std::string RuntimeDir() {
  const char* xdg = getenv("XDG_RUNTIME_DIR");
  const std::string dir =
      xdg && *xdg ? JoinPath(xdg, "sparkletide") : "/tmp/sparkletide-" + std::to_string(getuid());
  if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
    throw std::system_error(errno, std::generic_category(), "cannot create " + dir);
  // The locks and the message ports live here: a folder made by someone else
  // (it may sit in /tmp) or open to others would let them block or listen.
  struct stat st;
  if (lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid() ||
      (st.st_mode & 077) != 0)
    throw std::system_error(EACCES, std::generic_category(),
                            dir + " is not a private folder of this user");
  return dir;
}

std::string AutostartFolder() {
  return JoinPath(ConfigHome(), "autostart");
}

std::string ApplicationsFolder() {
  return JoinPath(DataHome(), "applications");
}

std::string ShortcutFileName(const std::string& program) {
  return program + ".desktop";
}

}  // namespace platform
