#pragma once
// The agent's message port: effect runners send it short messages (a message
// number and two parameters) as 12-byte datagrams, little-endian, on a Unix
// socket named after the agent's handle (its process id) in the runtime folder.

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

struct PortMessage {
  std::uint32_t message = 0;
  std::int32_t first = 0;
  std::int32_t second = 0;
  friend bool operator==(const PortMessage&, const PortMessage&) = default;
};

// Path of the port of the agent with this handle.
std::string MessagePortPath(std::uint64_t handle);

// The receiving end, owned by the agent; the socket file goes with it.
class MessagePort {
 public:
  // Binds the port of `handle`, replacing a stale one. Raises std::system_error.
  explicit MessagePort(std::uint64_t handle);
  ~MessagePort();
  MessagePort(const MessagePort&) = delete;
  MessagePort& operator=(const MessagePort&) = delete;

  // Non-blocking descriptor, readable when datagrams wait.
  int fd() const { return fd_; }
  // The next well-formed message; nullopt when none waits. Datagrams of
  // another size are dropped.
  std::optional<PortMessage> Receive();

 private:
  int fd_ = -1;
  std::string path_;
};

// Sends one message to the agent with this handle. False, with `error` set,
// when no agent listens there.
bool SendPortMessage(std::uint64_t handle, const PortMessage& message, std::string* error);

}  // namespace platform
