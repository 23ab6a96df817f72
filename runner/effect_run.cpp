#include "runner/effect_run.h"

#include <QCoreApplication>
#include <QScreen>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>
#include <cstdio>

#include "runner/effect_page.h"

namespace runner {
namespace {

using namespace std::chrono_literals;

// A probe every two seconds keeps the alive messages far inside the agent's
// limit; an answer later than four seconds means the page hangs.
constexpr AliveProbe::Millis kProbeInterval = 2000ms;
constexpr AliveProbe::Millis kAnswerLimit = 4000ms;
constexpr int kTickMs = 250;  // also how soon the window is back on top

// Tells the page how much sound the user wants, before its own scripts run.
QWebEngineScript AudioLevelScript(AudioLevel audio) {
  QWebEngineScript script;
  script.setName(QStringLiteral("sparkletide-audio"));
  script.setInjectionPoint(QWebEngineScript::DocumentCreation);
  script.setWorldId(QWebEngineScript::MainWorld);
  script.setRunsOnSubFrames(true);
  script.setSourceCode(
      QStringLiteral("window.sparkletideAudio = '%1';").arg(QLatin1String(AudioLevelName(audio))));
  return script;
}

}  // namespace

EffectRun::EffectRun(AgentLink& link, const QString& folder, const QString& page, AudioLevel audio)
    : link_(link), pageFile_(page), probe_(kProbeInterval, kAnswerLimit) {
  // A profile without a storage name keeps nothing on disk: no cache, no
  // cookies, nothing an effect could leave for the next one.
  profile_ = std::make_unique<QWebEngineProfile>();
  profile_->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
  profile_->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
  filter_ = std::make_unique<EffectRequestFilter>(folder, nullptr);
  profile_->setUrlRequestInterceptor(filter_.get());

  page_ = std::make_unique<EffectPage>(profile_.get(), folder, nullptr);
  ApplyEffectSettings(*page_);
  page_->setBackgroundColor(Qt::transparent);
  page_->setAudioMuted(audio == AudioLevel::None);
  page_->scripts().insert(AudioLevelScript(audio));

  connect(page_.get(), &QWebEnginePage::windowCloseRequested, this, [this] { Finish(nullptr); });
  connect(page_.get(), &QWebEnginePage::renderProcessTerminated, this,
          [this] { Finish("the page's renderer ended"); });
  connect(page_.get(), &QWebEnginePage::loadingChanged, this,
          [this](const QWebEngineLoadingInfo& info) {
            // Only the load of the effect's own page decides; a refused
            // navigation elsewhere leaves the effect playing.
            if (info.url() != QUrl::fromLocalFile(pageFile_)) return;
            if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus)
              Finish("the page cannot be loaded");
          });

  probeTimer_.setInterval(kTickMs);
  connect(&probeTimer_, &QTimer::timeout, this, &EffectRun::Probe);
}

EffectRun::~EffectRun() {
  view_.reset();
  page_.reset();
}

void EffectRun::Show(QScreen* screen) {
  view_ = std::make_unique<QWebEngineView>();
  view_->setWindowTitle(QStringLiteral("RunEffect"));
  // Over everything, never in the taskbar, never taking the keyboard focus,
  // and every click goes through to the windows below. The window manager
  // is bypassed: its frame around the window would catch the clicks.
  view_->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                        Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus |
                        Qt::X11BypassWindowManagerHint);
  view_->setAttribute(Qt::WA_TranslucentBackground);
  view_->setAttribute(Qt::WA_ShowWithoutActivating);
  view_->setFocusPolicy(Qt::NoFocus);
  view_->setPage(page_.get());
  view_->setGeometry(screen->geometry());
  view_->show();
  page_->load(QUrl::fromLocalFile(pageFile_));
  clock_.start();
  probeTimer_.start();
}

void EffectRun::Probe() {
  // Without the window manager nothing keeps the window on top of windows
  // raised later; it raises itself at every tick.
  view_->raise();
  std::uint64_t serial = 0;
  if (!probe_.ProbeDue(AliveProbe::Millis(clock_.elapsed()), &serial)) return;
  page_->runJavaScript(QStringLiteral("1"), QWebEngineScript::ApplicationWorld,
                       [this, serial](const QVariant&) {
                         if (probe_.Answered(serial, AliveProbe::Millis(clock_.elapsed())))
                           link_.SendAlive();
                       });
}

void EffectRun::Finish(const char* why) {
  if (link_.ended()) return;
  if (why) std::fprintf(stderr, "RunEffect: %s\n", why);
  probeTimer_.stop();
  link_.SendEnded();
  QCoreApplication::exit(0);
}

}  // namespace runner
