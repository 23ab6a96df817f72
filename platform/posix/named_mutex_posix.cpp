#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "platform/named_mutex.h"
#include "platform/paths.h"

namespace platform {
namespace {

// Opens the lock file and tries to lock it; -1 when someone holds it.
int TryLock(std::string_view name) {
  const std::string path = JoinPath(RuntimeDir(), std::string(name) + ".lock");
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) throw std::system_error(errno, std::generic_category(), "cannot open " + path);
  int rc;
  do rc = flock(fd, LOCK_EX | LOCK_NB);
  while (rc != 0 && errno == EINTR);
  if (rc == 0) return fd;
  const int error = errno;
  close(fd);
  if (error == EWOULDBLOCK) return -1;
  throw std::system_error(error, std::generic_category(), "cannot lock " + path);
}

}  // namespace

bool NamedMutex::IsHeld(std::string_view name) {
  const int fd = TryLock(name);
  if (fd < 0) return true;
  close(fd);
  return false;
}

NamedMutex NamedMutex::Create(std::string_view name) {
  return NamedMutex(TryLock(name));
}

NamedMutex::NamedMutex(NamedMutex&& other) noexcept : fd_(other.fd_) {
  other.fd_ = -1;
}

NamedMutex& NamedMutex::operator=(NamedMutex&& other) noexcept {
  if (this != &other) {
    Release();
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

NamedMutex::~NamedMutex() {
  Release();
}

void NamedMutex::Release() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

}  // namespace platform
