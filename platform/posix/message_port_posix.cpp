#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "platform/message_port.h"
#include "platform/paths.h"

namespace platform {
namespace {

constexpr size_t kDatagramSize = 12;

sockaddr_un Address(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path)
    throw std::system_error(ENAMETOOLONG, std::generic_category(), path);
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return address;
}

void PutLE(unsigned char* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}

std::uint32_t GetLE(const unsigned char* at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | at[i];
  return value;
}

}  // namespace

std::string MessagePortPath(std::uint64_t handle) {
  return JoinPath(RuntimeDir(), "port-" + std::to_string(handle));
}

MessagePort::MessagePort(std::uint64_t handle) : path_(MessagePortPath(handle)) {
  const sockaddr_un address = Address(path_);
  fd_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd_ < 0) throw std::system_error(errno, std::generic_category(), "socket");
  unlink(path_.c_str());
  if (bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    const int error = errno;
    close(fd_);
    throw std::system_error(error, std::generic_category(), "cannot bind " + path_);
  }
  chmod(path_.c_str(), 0600);
}

MessagePort::~MessagePort() {
  close(fd_);
  unlink(path_.c_str());
}

std::optional<PortMessage> MessagePort::Receive() {
  unsigned char buffer[kDatagramSize + 1];
  for (;;) {
    const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    if (static_cast<size_t>(n) != kDatagramSize) continue;
    return PortMessage{GetLE(buffer), static_cast<std::int32_t>(GetLE(buffer + 4)),
                       static_cast<std::int32_t>(GetLE(buffer + 8))};
  }
}

bool SendPortMessage(std::uint64_t handle, const PortMessage& message, std::string* error) {
  const std::string path = MessagePortPath(handle);
  const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    if (error) *error = std::strerror(errno);
    return false;
  }
  unsigned char buffer[kDatagramSize];
  PutLE(buffer, message.message);
  PutLE(buffer + 4, static_cast<std::uint32_t>(message.first));
  PutLE(buffer + 8, static_cast<std::uint32_t>(message.second));
  bool sent = false;
  try {
    const sockaddr_un address = Address(path);
    ssize_t n;
    do
      // Never waits: a stalled agent with a full queue must not stall the runner.
      n = sendto(fd, buffer, sizeof buffer, MSG_DONTWAIT, reinterpret_cast<const sockaddr*>(&address),
                 sizeof address);
    while (n < 0 && errno == EINTR);
    sent = n == static_cast<ssize_t>(sizeof buffer);
    if (!sent && error) *error = path + ": " + std::strerror(errno);
  } catch (const std::system_error& e) {
    if (error) *error = e.what();
  }
  close(fd);
  return sent;
}

}  // namespace platform
