#pragma once
// Owns the application object and the forms for the life of the process. The
// application object is made only when something needs it (a message box, or
// the agent itself), so the hidden hops of the swap run without a display.

#include <memory>

#include <QApplication>

#include "platform/dialogs.h"
#include "platform/qt/termination_watch.h"

class AgentHost {
 public:
  AgentHost(int& argc, char** argv);
  ~AgentHost();

  QApplication& EnsureApplication();
  // Message boxes for the entry sequence: scripted when
  // $SPARKLETIDE_SCRIPTED_DIALOGS lists answers ("ok,cancel"), else real ones.
  platform::Dialogs& Dialogs();
  void ProcessMessages();
  // Application set-up, form creation and the message loop.
  int RunAgent();

 private:
  int& argc_;
  char** argv_;
  std::unique_ptr<QApplication> app_;
  std::unique_ptr<platform::Dialogs> dialogs_;
  std::unique_ptr<platform::TerminationWatch> termination_;
};
