#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "catalogue/durable_file.h"

namespace catalogue {
namespace {

[[noreturn]] void Fail(const std::string& what, const std::string& path, int error) {
  throw std::runtime_error("Cannot " + what + " file " + path + ": " + std::strerror(error));
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

void WriteFileDurably(const std::string& path, std::string_view bytes) {
  const std::string temp = path + ".tmp";
  const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) Fail("write", path, errno);
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
  size_t have = 0;
  for (;;) {
    if (have == content.size()) content.resize(content.size() + (1 << 16));
    const ssize_t n = read(fd, content.data() + have, content.size() - have);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      close(fd);
      Fail("read", path, error);
    }
    if (n == 0) break;
    have += static_cast<size_t>(n);
  }
  close(fd);
  content.resize(have);
  return content;
}

}  // namespace catalogue
