#include "runner/agent_link.h"

#include "common/effect_protocol.h"
#include "platform/message_port.h"

namespace runner {

// A missing agent is no error for the runner: the effect plays on, and the
// agent that started it kills it when it comes back or goes away.
void AgentLink::SendAlive() {
  if (!ended_) platform::SendPortMessage(handle_, {WM_EFFECTSTATE, id_, 1}, nullptr);
}

void AgentLink::SendEnded() {
  if (ended_) return;
  ended_ = true;
  platform::SendPortMessage(handle_, {WM_EFFECTSTATE, id_, 0}, nullptr);
}

}  // namespace runner
