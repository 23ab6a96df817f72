#pragma once
// The runner's side of the message port: alive messages while the effect
// runs, and one ended message when it is over.

#include <cstdint>

namespace runner {

class AgentLink {
 public:
  AgentLink(std::uint64_t handle, std::int32_t id) : handle_(handle), id_(id) {}
  void SendAlive();
  // Sends the ended message the first time; later calls send nothing.
  void SendEnded();
  bool ended() const { return ended_; }

 private:
  std::uint64_t handle_;
  std::int32_t id_;
  bool ended_ = false;
};

}  // namespace runner
