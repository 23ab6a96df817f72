#include "agent/agent_host.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "platform/fake/scripted_dialogs.h"
#include "platform/qt/qt_dialogs.h"

namespace {

// Real message boxes, with the application object made on first use.
class ApplicationDialogs final : public platform::Dialogs {
 public:
  explicit ApplicationDialogs(AgentHost& host) : host_(host) {}
  platform::DialogAnswer Show(platform::DialogKind kind, const std::string& text,
                              platform::DialogButtons buttons) override {
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

// The forms go before the application object.
AgentHost::~AgentHost() = default;

QApplication& AgentHost::EnsureApplication() {
  if (!app_) {
    app_ = std::make_unique<QApplication>(argc_, argv_);
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
  QApplication& app = EnsureApplication();
  termination_ = std::make_unique<platform::TerminationWatch>();
  QObject::connect(termination_.get(), &platform::TerminationWatch::terminationRequested, &app,
                   &QCoreApplication::quit, Qt::QueuedConnection);
  return app.exec();
}
