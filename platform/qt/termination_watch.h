#pragma once
// Delivers a caught termination signal to the event loop as a Qt signal.

#include <QObject>

namespace platform {

class TerminationWatch : public QObject {
  Q_OBJECT
 public:
  // Emits terminationRequested() once the loop runs if a signal came earlier.
  explicit TerminationWatch(QObject* parent = nullptr);

 signals:
  void terminationRequested();
};

}  // namespace platform
