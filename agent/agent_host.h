#pragma once
// Owns the application object, the desktop services and the forms for the
// life of the process. The application object is made only when something
// needs it (a message box, or the agent itself), so the hidden hops of the
// swap run without a display.

#include <memory>

#include "agent/UMain.h"
#include "agent/agent_application.h"
#include "platform/clock.h"
#include "platform/cpu_probe.h"
#include "platform/dialogs.h"
#include "platform/qt/message_port_watch.h"
#include "platform/qt/termination_watch.h"
#include "playback/URating.h"

namespace platform {
class X11DesktopQueries;
class X11HotKeys;
class X11InputQueries;
}  // namespace platform

class AgentHost {
 public:
  AgentHost(int& argc, char** argv);
  // Destroys the forms (the main form's orderly end), then the application.
  ~AgentHost();

  AgentApplication& EnsureApplication();
  // Message boxes for the entry sequence: scripted when
  // $SPARKLETIDE_SCRIPTED_DIALOGS lists answers ("ok,cancel"), else real ones.
  platform::Dialogs& Dialogs();
  void ProcessMessages();
  // Application set-up, form creation and the message loop.
  int RunAgent();

 private:
  int& argc_;
  char** argv_;
  std::unique_ptr<AgentApplication> app_;
  std::unique_ptr<platform::Dialogs> dialogs_;
  std::unique_ptr<platform::TerminationWatch> termination_;
  platform::SystemClock clock_;
  std::unique_ptr<platform::X11HotKeys> hotKeys_;
  std::unique_ptr<platform::X11DesktopQueries> desktop_;
  std::unique_ptr<platform::X11InputQueries> input_;
  platform::ProcStatCpuProbe cpu_;
  std::unique_ptr<platform::MessagePortWatch> port_;
  std::unique_ptr<TFMain> FMain;
  std::unique_ptr<TFRating> FRating;
};
