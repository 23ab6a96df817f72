#include "platform/qt/message_port_watch.h"

#include <QSocketNotifier>

namespace platform {

MessagePortWatch::MessagePortWatch(std::unique_ptr<MessagePort> port,
                                   std::function<void(const PortMessage&)> onMessage,
                                   QObject* parent)
    : QObject(parent), port_(std::move(port)), onMessage_(std::move(onMessage)) {
  auto* notifier = new QSocketNotifier(port_->fd(), QSocketNotifier::Read, this);
  connect(notifier, &QSocketNotifier::activated, this, [this] {
    while (const auto message = port_->Receive()) onMessage_(*message);
  });
}

MessagePortWatch::~MessagePortWatch() = default;

}  // namespace platform
