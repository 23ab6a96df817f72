#include "platform/qt/termination_watch.h"

#include <unistd.h>

#include <QSocketNotifier>
#include <QTimer>

#include "platform/termination_signals.h"

namespace platform {

TerminationWatch::TerminationWatch(QObject* parent) : QObject(parent) {
  const int fd = TerminationFd();
  if (fd < 0) return;
  auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
  connect(notifier, &QSocketNotifier::activated, this, [this, fd] {
    char buffer[16];
    while (read(fd, buffer, sizeof buffer) > 0) {
    }
    emit terminationRequested();
  });
  if (TerminationRequested()) QTimer::singleShot(0, this, &TerminationWatch::terminationRequested);
}

}  // namespace platform
