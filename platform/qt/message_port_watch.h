#pragma once
// Reads the message port on the UI thread, as window messages are.

#include <functional>
#include <memory>

#include <QObject>

#include "platform/message_port.h"

namespace platform {

class MessagePortWatch : public QObject {
  Q_OBJECT
 public:
  MessagePortWatch(std::unique_ptr<MessagePort> port,
                   std::function<void(const PortMessage&)> onMessage, QObject* parent = nullptr);
  ~MessagePortWatch() override;

 private:
  std::unique_ptr<MessagePort> port_;
  std::function<void(const PortMessage&)> onMessage_;
};

}  // namespace platform
