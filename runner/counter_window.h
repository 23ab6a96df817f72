#pragma once
// The counter page: the address the catalogue server named, in a small
// ordinary browser window that the user closes. It reports nothing to the
// agent.

#include <QString>
#include <memory>

class QWebEngineProfile;
class QWebEnginePage;
class QWebEngineView;

namespace runner {

class CounterWindow {
 public:
  explicit CounterWindow(const QString& address);
  ~CounterWindow();
  void Show();

 private:
  std::unique_ptr<QWebEngineProfile> profile_;
  std::unique_ptr<QWebEnginePage> page_;
  std::unique_ptr<QWebEngineView> view_;
  QString address_;
};

}  // namespace runner
