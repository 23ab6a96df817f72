#include "runner/effect_page.h"

#include <QWebEngineDownloadRequest>
#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>

#include "runner/url_policy.h"

namespace runner {

EffectRequestFilter::EffectRequestFilter(QString folder, QObject* parent)
    : QWebEngineUrlRequestInterceptor(parent), folder_(std::move(folder)) {}

void EffectRequestFilter::interceptRequest(QWebEngineUrlRequestInfo& info) {
  if (!EffectMayLoad(info.requestUrl(), folder_)) info.block(true);
}

EffectPage::EffectPage(QWebEngineProfile* profile, QString folder, QObject* parent)
    : QWebEnginePage(profile, parent), folder_(std::move(folder)) {
  connect(this, &QWebEnginePage::featurePermissionRequested, this,
          [this](const QUrl& origin, Feature feature) {
            setFeaturePermission(origin, feature, PermissionDeniedByUser);
          });
  connect(this, &QWebEnginePage::fullScreenRequested, this,
          [](QWebEngineFullScreenRequest request) { request.reject(); });
  connect(this, &QWebEnginePage::fileSystemAccessRequested, this,
          [](QWebEngineFileSystemAccessRequest request) { request.reject(); });
  connect(profile, &QWebEngineProfile::downloadRequested, this,
          [](QWebEngineDownloadRequest* download) { download->cancel(); });
}

bool EffectPage::acceptNavigationRequest(const QUrl& url, NavigationType, bool) {
  return EffectMayLoad(url, folder_);
}

QWebEnginePage* EffectPage::createWindow(WebWindowType) {
  return nullptr;
}

void ApplyEffectSettings(QWebEnginePage& page) {
  QWebEngineSettings* s = page.settings();
  s->setAttribute(QWebEngineSettings::JavascriptEnabled, true);
  s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
  s->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
  s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
  s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
  s->setAttribute(QWebEngineSettings::JavascriptCanPaste, false);
  s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
  s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
  s->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
  s->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
  s->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, false);
  s->setAttribute(QWebEngineSettings::HyperlinkAuditingEnabled, false);
  s->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);
  s->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
  s->setAttribute(QWebEngineSettings::ShowScrollBars, false);
  s->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
  s->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
}

}  // namespace runner
