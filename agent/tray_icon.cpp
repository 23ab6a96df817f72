// The tray icon and the agent window's visibility, seen from the main form.

#include <QFile>

#include "agent/UMain.h"
#include "common/desktop_utils.h"

void TFMain::LoadTrayIcon() {
  std::string name;
  if (EffectPlaying)
    name = "ico_e" + std::to_string(std::uniform_int_distribution<int>(1, 9)(Random));
  else
    name = FObjects && FObjects->AgentEnabled() ? "ico_def" : "ico_dis";
  LoadIcon(name);
}

void TFMain::LoadIcon(const std::string& Name) {
  if (Name == CurrentIconName) return;
  CurrentIconName = Name;
  const QString path =
      QStringLiteral(":/icons/") + QString::fromStdString(Name).toLower() + QStringLiteral(".png");
  if (!QFile::exists(path)) throw std::runtime_error("Resource " + Name + " not found");
  RxTrayIcon.setIcon(QIcon(path));
}

void TFMain::RxTrayIconClick() {
  if (!FObjects) return;
  if (!FObjects->CountsShown())
    FObjects->FShow();
  else if (WindowUncovered(FObjects->Form(), services_.desktop))
    FObjects->FHide();
}

void TFMain::RxTrayIconDblClick() {
  RxTrayIconClick();
}

void TFMain::CheckFormVisibility() {
  if (FObjects && FObjects->CountsShown() && !FObjects->VisibleOnScreen()) FObjects->FHide();
}
