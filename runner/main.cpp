// RunEffect: shows one effect over the desktop (or the counter page) and
// reports to the agent whose message port handle it is given.
//   RunEffect re<PadId> <handle>

#include <QApplication>
#include <QByteArray>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QScreen>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "common/uUtils.h"
#include "platform/paths.h"
#include "runner/agent_link.h"
#include "runner/counter_window.h"
#include "runner/effect_run.h"
#include "runner/process_guard.h"
#include "runner/runner_options.h"

namespace {

// Qt ends the process from inside its constructor when the display cannot be
// used; this handler, installed only while the application object is made,
// turns that into one line and the ended message. It needs process-wide state
// because Qt's message handler is a plain function.
runner::AgentLink* gStartupLink = nullptr;
QStringList* gStartupMessages = nullptr;

void StartupMessageHandler(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type != QtFatalMsg) {
    gStartupMessages->append(text);
    return;
  }
  const QByteArray display = qgetenv("DISPLAY");
  std::fprintf(stderr, "RunEffect: cannot use the display \"%s\"\n", display.constData());
  if (gStartupLink) gStartupLink->SendEnded();
  std::fflush(stderr);
  std::_Exit(1);
}

// Flags for the browser engine; they must be in place before it starts.
// The runner never needs the engine's own network traffic (updates, safe
// browsing lists, metrics), and as root the engine refuses to start unless
// its sandbox is off.
void ConfigureBrowserEngine() {
  QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
  flags +=
      " --disable-background-networking --disable-component-update"
      " --disable-domain-reliability --no-pings --disable-breakpad";
  // Without the sandbox the zygote processes only cost memory (some 10 MB)
  // and start-up time: the renderer is then started directly.
  if (runner::RunningAsRoot()) {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    flags += " --no-zygote";
  }
  qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.trimmed());
  // Effects are 2D pages: Qt's software scene graph shows them at a third of
  // the processor time that a software OpenGL driver takes, and keeps that
  // driver (some 80 MB) out of memory. QT_QUICK_BACKEND set by the user wins.
  // With that scene graph nothing of the runner draws with OpenGL, so the
  // display connection need not load the OpenGL driver either (another
  // 30 MB). Settings of the user's own win.
  if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND")) {
    qputenv("QT_QUICK_BACKEND", "software");
    if (qEnvironmentVariableIsEmpty("QT_XCB_GL_INTEGRATION"))
      qputenv("QT_XCB_GL_INTEGRATION", "none");
  }
}

std::string SettingOr(std::string_view name, std::string_view fallback) {
  try {
    return RegRead(name, fallback);
  } catch (const std::exception&) {
    return std::string(fallback);
  }
}

int Fail(const std::string& text, runner::AgentLink* link) {
  std::fprintf(stderr, "RunEffect: %s\n", text.c_str());
  if (link) link->SendEnded();
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  runner::GuardProcessGroup();

  std::string error;
  const std::optional<runner::RunnerArgs> args = runner::ParseRunnerArgs(argc, argv, &error);
  if (!args) return Fail(error, nullptr);
  SetAppDir(platform::ExecutableDir());

  // The counter page reports nothing, not even its failures.
  runner::AgentLink link(args->handle, args->id);
  runner::AgentLink* reportTo = args->counterPage() ? nullptr : &link;
  const std::string folder = ObjectsDir() + args->padId + "/";
  const std::string pageFile = folder + "index.htm";
  const std::string counterAddress =
      args->counterPage() ? SettingOr("CountersPage", "") : std::string();
  if (args->counterPage() && counterAddress.empty())
    return Fail("no counter page address is stored", nullptr);
  if (!args->counterPage() && !FileFound(pageFile)) return Fail("no page " + pageFile, reportTo);
  const runner::AudioLevel audio = runner::AudioLevelFromSetting(SettingOr("Audio", "0"));

  ConfigureBrowserEngine();
  // The engine reports its set-up on every start; the runner keeps quiet.
  QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QStringList startupMessages;
  gStartupLink = reportTo;
  gStartupMessages = &startupMessages;
  qInstallMessageHandler(StartupMessageHandler);
  QApplication app(argc, argv);
  qInstallMessageHandler(nullptr);
  for (const QString& text : startupMessages) std::fprintf(stderr, "%s\n", qPrintable(text));
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return Fail("the display has no screen", reportTo);

  if (args->counterPage()) {
    runner::CounterWindow counters(QString::fromLatin1(counterAddress.c_str()));
    counters.Show();
    return app.exec();
  }
  app.setQuitOnLastWindowClosed(false);
  runner::EffectRun run(link, QString::fromLocal8Bit(folder.c_str()),
                        QString::fromLocal8Bit(pageFile.c_str()), audio);
  run.Show(screen);
  return app.exec();
}
