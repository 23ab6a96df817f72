#pragma once
// One effect on screen: its page in a transparent, click-through window over
// the whole screen, the alive probe towards the agent, and the end of the run
// (the page closes itself, its renderer dies, or it cannot be loaded).

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

#include "runner/agent_link.h"
#include "runner/alive_probe.h"
#include "runner/runner_options.h"

class QScreen;
class QWebEngineProfile;
class QWebEngineView;

namespace runner {

class EffectPage;
class EffectRequestFilter;

class EffectRun : public QObject {
  Q_OBJECT
 public:
  // `folder` is the effect's folder, `page` its index.htm.
  EffectRun(AgentLink& link, const QString& folder, const QString& page, AudioLevel audio);
  ~EffectRun() override;
  void Show(QScreen* screen);

 private:
  void Probe();
  void Finish(const char* why);

  AgentLink& link_;
  QString pageFile_;
  std::unique_ptr<EffectRequestFilter> filter_;  // outlives the profile that uses it
  std::unique_ptr<QWebEngineProfile> profile_;
  std::unique_ptr<EffectPage> page_;
  std::unique_ptr<QWebEngineView> view_;
  QTimer probeTimer_;
  QElapsedTimer clock_;
  AliveProbe probe_;
};

}  // namespace runner
