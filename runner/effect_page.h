#pragma once
// The browser page of an effect: it runs the effect's scripts but refuses
// new windows, navigation away from the effect's own files, permissions,
// full screen and downloads; every request outside the effect's folder is
// blocked before it leaves the runner.

#include <QString>
#include <QWebEnginePage>
#include <QWebEngineUrlRequestInterceptor>

namespace runner {

class EffectRequestFilter : public QWebEngineUrlRequestInterceptor {
  Q_OBJECT
 public:
  EffectRequestFilter(QString folder, QObject* parent);
  void interceptRequest(QWebEngineUrlRequestInfo& info) override;

 private:
  QString folder_;
};

class EffectPage : public QWebEnginePage {
  Q_OBJECT
 public:
  EffectPage(QWebEngineProfile* profile, QString folder, QObject* parent);

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
  QWebEnginePage* createWindow(WebWindowType type) override;
  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int,
                                const QString&) override {}

 private:
  QString folder_;
};

// Settings shared by effect pages: scripts on, everything that reaches out
// of the page off.
void ApplyEffectSettings(QWebEnginePage& page);

}  // namespace runner
