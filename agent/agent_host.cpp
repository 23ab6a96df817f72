#include "agent/agent_host.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "agent/event_log.h"
#include "platform/fake/scripted_dialogs.h"
#include "platform/process.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/x11/x11_desktop_queries.h"
#include "platform/x11/x11_hot_keys.h"
#include "platform/x11/x11_input_queries.h"

namespace {

// The application object needs a display: an X server, or a platform named
// by QT_QPA_PLATFORM (tests use "offscreen").
bool DisplayAvailable() {
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
    if (const char* value = std::getenv(name); value && *value) return true;
  return false;
}

// Real message boxes, with the application object made on first use.
class ApplicationDialogs final : public platform::Dialogs {
 public:
  explicit ApplicationDialogs(AgentHost& host) : host_(host) {}
  platform::DialogAnswer Show(platform::DialogKind kind, const std::string& text,
                              platform::DialogButtons buttons) override {
    if (!DisplayAvailable()) {
      WriteLog("No display for the message: " + text, 0);
      return buttons == platform::DialogButtons::Ok ? platform::DialogAnswer::Ok
                                                    : platform::DialogAnswer::Cancel;
    }
    host_.EnsureApplication();
    return platform::QtDialogs().Show(kind, text, buttons);
  }

 private:
  AgentHost& host_;
};

std::unique_ptr<platform::Dialogs> ScriptedFromEnvironment(const char* script) {
  auto dialogs = std::make_unique<platform::ScriptedDialogs>();
  std::stringstream answers(script);
  for (std::string word; std::getline(answers, word, ',');) {
    if (word == "ok") dialogs->NextAnswer(platform::DialogAnswer::Ok);
    if (word == "cancel") dialogs->NextAnswer(platform::DialogAnswer::Cancel);
    if (word == "yes") dialogs->NextAnswer(platform::DialogAnswer::Yes);
    if (word == "no") dialogs->NextAnswer(platform::DialogAnswer::No);
  }
  dialogs->OnShow([](const platform::ScriptedDialogs::Shown& box) {
    std::fprintf(stderr, "dialog: %s\n", box.text.c_str());
  });
  return dialogs;
}

}  // namespace

AgentHost::AgentHost(int& argc, char** argv) : argc_(argc), argv_(argv) {}

AgentHost::~AgentHost() {
  FMain.reset();
  FRating.reset();
  port_.reset();
  input_.reset();
  desktop_.reset();
  hotKeys_.reset();
}

AgentApplication& AgentHost::EnsureApplication() {
  if (!app_) {
    app_ = std::make_unique<AgentApplication>(argc_, argv_);
    app_->setApplicationDisplayName(QStringLiteral("Sparkletide agent"));
    app_->setQuitOnLastWindowClosed(false);
  }
  return *app_;
}

platform::Dialogs& AgentHost::Dialogs() {
  if (!dialogs_) {
    const char* script = std::getenv("SPARKLETIDE_SCRIPTED_DIALOGS");
    if (script)
      dialogs_ = ScriptedFromEnvironment(script);
    else
      dialogs_ = std::make_unique<ApplicationDialogs>(*this);
  }
  return *dialogs_;
}

void AgentHost::ProcessMessages() {
  if (app_) QCoreApplication::processEvents();
}

int AgentHost::RunAgent() {
  if (!DisplayAvailable()) {
    WriteLog("Cannot start the agent: no display (DISPLAY is not set)", 0);
    return 1;
  }
  AgentApplication& app = EnsureApplication();
  // A signal or the end of the desktop session ends the loop as the tray
  // menu's Exit does; the forms are then destroyed in order.
  termination_ = std::make_unique<platform::TerminationWatch>();
  QObject::connect(termination_.get(), &platform::TerminationWatch::terminationRequested, &app,
                   &QCoreApplication::quit, Qt::QueuedConnection);
  QObject::connect(&app, &QGuiApplication::commitDataRequest, &app, &QCoreApplication::quit,
                   Qt::QueuedConnection);
  hotKeys_ = std::make_unique<platform::X11HotKeys>();
  desktop_ = std::make_unique<platform::X11DesktopQueries>();
  input_ = std::make_unique<platform::X11InputQueries>();
  // Runners address their messages to this process's port.
  const auto handle = static_cast<std::uint64_t>(platform::CurrentProcessId());
  try {
    port_ = std::make_unique<platform::MessagePortWatch>(
        std::make_unique<platform::MessagePort>(handle),
        [this, &app](const platform::PortMessage& message) {
          if (FMain) app.Guard(FMain.get(), [&] { FMain->EffectStateMessage(message); });
        });
  } catch (const std::exception& e) {
    WriteLog(std::string("Cannot open the message port: ") + e.what(), 0);
  }
  FMain = std::make_unique<TFMain>(
      TFMain::Services{clock_, *hotKeys_, *desktop_, *input_, cpu_, Dialogs(), handle, &app});
  FRating = std::make_unique<TFRating>(
      [this](std::int32_t id, int rating) { FMain->SetObjRating(id, rating); });
  FMain->FRating = FRating.get();
  return app.exec();
}
