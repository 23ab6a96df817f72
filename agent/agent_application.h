#pragma once
// The application object. An exception that escapes any event handler
// (timer, message, hot key, menu) ends up in `exceptionHandler` and is
// dropped there, so no exception ever reaches the user or ends the agent.

#include <exception>
#include <functional>

#include <QApplication>

class AgentApplication : public QApplication {
 public:
  AgentApplication(int& argc, char** argv);

  std::function<void(const QObject* sender, const std::exception& error)> exceptionHandler;

  bool notify(QObject* receiver, QEvent* event) override;
  // Runs `handler` as an event handler of `sender` outside event dispatch
  // (callbacks of the desktop layer), with the same treatment of exceptions.
  void Guard(const QObject* sender, const std::function<void()>& handler);

 private:
  void Report(const QObject* sender, const std::exception& error);
};
