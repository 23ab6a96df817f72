#pragma once
// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the UI thread, so the
// agent ends through its orderly way out instead of dying mid-work.

#include <QObject>
#include <QSocketNotifier>

namespace platform {

class TerminationWatch : public QObject {
  Q_OBJECT
 public:
  explicit TerminationWatch(QObject* parent = nullptr);
  ~TerminationWatch() override;

 signals:
  void terminationRequested(int signalNumber);

 private:
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace platform
