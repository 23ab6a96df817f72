#include "agent/agent_application.h"

#include <stdexcept>

#include "agent/event_log.h"

AgentApplication::AgentApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool AgentApplication::notify(QObject* receiver, QEvent* event) {
  bool handled = false;
  Guard(receiver, [&] { handled = QApplication::notify(receiver, event); });
  return handled;
}

void AgentApplication::Guard(const QObject* sender, const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    Report(sender, error);
  } catch (...) {
    Report(sender, std::runtime_error("unknown error"));
  }
}

void AgentApplication::Report(const QObject* sender, const std::exception& error) {
  if (exceptionHandler) {
    exceptionHandler(sender, error);
    return;
  }
  WriteLog(std::string("Exception : ") + error.what(), 0);
}
