#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <system_error>

#include "platform/files.h"

namespace platform {
namespace {

// A system_error, so that callers can tell a missing file from other faults;
// its text reads "Cannot <what> file <path>: <reason>".
[[noreturn]] void Fail(const std::string& what, const std::string& path, int error) {
  throw std::system_error(error, std::generic_category(), "Cannot " + what + " file " + path);
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace

void WriteFileDurably(const std::string& path, std::string_view bytes, unsigned permissions) {
  const std::string temp = path + ".tmp";
  const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) Fail("write", path, errno);
  fchmod(fd, static_cast<mode_t>(permissions));
  if (!WriteAll(fd, bytes) || fsync(fd) != 0) {
    const int error = errno;
    close(fd);
    unlink(temp.c_str());
    Fail("write", path, error);
  }
  if (close(fd) != 0 || rename(temp.c_str(), path.c_str()) != 0) {
    const int error = errno;
    unlink(temp.c_str());
    Fail("write", path, error);
  }
  // The rename is durable once the folder's entry is on the disk.
  const int dir = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
}

std::string ReadWholeFile(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) Fail("open", path, errno);
  struct stat st;
  std::string content(fstat(fd, &st) == 0 && st.st_size > 0 ? size_t(st.st_size) : 0, '\0');
  // The buffer grows only when the file turns out longer than its size said
  // (it is still being written, or it is a special file), so a whole file is
  // read without moving it.
  size_t have = 0;
  char probe[4096];
  for (;;) {
    const bool full = have == content.size();
    char* into = full ? probe : content.data() + have;
    const ssize_t n = read(fd, into, full ? sizeof probe : content.size() - have);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      close(fd);
      Fail("read", path, error);
    }
    if (n == 0) break;
    if (full) content.append(probe, static_cast<size_t>(n));
    have += static_cast<size_t>(n);
  }
  close(fd);
  content.resize(have);
  return content;
}

bool AppendExclusive(const std::string& path, std::string_view bytes) {
  const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const bool written = flock(fd, LOCK_EX | LOCK_NB) == 0 && WriteAll(fd, bytes);
  close(fd);
  return written;
}

std::optional<FileAttributes> Attributes(const std::string& path) {
  struct stat st;
  if (path.empty() || lstat(path.c_str(), &st) != 0) return std::nullopt;
  std::string name = path;
  while (name.size() > 1 && name.back() == '/') name.pop_back();
  name = name.substr(name.rfind('/') + 1);
  FileAttributes attributes;
  attributes.directory = S_ISDIR(st.st_mode);
  attributes.link = S_ISLNK(st.st_mode);
  attributes.hidden = !name.empty() && name[0] == '.' && name != "." && name != "..";
  attributes.readOnly = (st.st_mode & S_IWUSR) == 0;
  return attributes;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return names;
  while (const dirent* entry = readdir(dir))
    if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
      names.emplace_back(entry->d_name);
  closedir(dir);
  return names;
}

bool MaskMatches(const std::string& mask, const std::string& name) {
  return mask == "*" || mask == "*.*" || fnmatch(mask.c_str(), name.c_str(), 0) == 0;
}

bool MakeFolder(const std::string& path) {
  return mkdir(path.c_str(), 0755) == 0;
}

bool RemoveFile(const std::string& path) {
  return unlink(path.c_str()) == 0;
}

bool RemoveEmptyFolder(const std::string& path) {
  return rmdir(path.c_str()) == 0;
}

}  // namespace platform
