#include "runner/counter_window.h"

#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace runner {

CounterWindow::CounterWindow(const QString& address)
    : profile_(std::make_unique<QWebEngineProfile>()),
      page_(std::make_unique<QWebEnginePage>(profile_.get())),
      view_(std::make_unique<QWebEngineView>()),
      address_(address) {
  page_->settings()->setAttribute(QWebEngineSettings::PluginsEnabled, false);
  page_->settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
  view_->setPage(page_.get());
  view_->setWindowTitle(QStringLiteral("Sparkletide counters"));
  view_->resize(480, 360);
}

CounterWindow::~CounterWindow() {
  view_.reset();
  page_.reset();
}

void CounterWindow::Show() {
  view_->show();
  page_->load(QUrl::fromUserInput(address_));
}

}  // namespace runner
