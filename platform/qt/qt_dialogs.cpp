#include "platform/qt/qt_dialogs.h"

#include <QMessageBox>

namespace platform {

DialogAnswer QtDialogs::Show(DialogKind kind, const std::string& text, DialogButtons buttons) {
  QMessageBox::Icon icon = QMessageBox::Information;
  QString title = QStringLiteral("Information");
  switch (kind) {
    case DialogKind::Information:
      break;
    case DialogKind::Warning:
      icon = QMessageBox::Warning;
      title = QStringLiteral("Warning");
      break;
    case DialogKind::Error:
      icon = QMessageBox::Critical;
      title = QStringLiteral("Error");
      break;
    case DialogKind::Confirmation:
      icon = QMessageBox::Question;
      title = QStringLiteral("Confirm");
      break;
  }
  QMessageBox::StandardButtons set = QMessageBox::Ok;
  if (buttons == DialogButtons::OkCancel) set = QMessageBox::Ok | QMessageBox::Cancel;
  if (buttons == DialogButtons::YesNo) set = QMessageBox::Yes | QMessageBox::No;
  // Texts are single-byte (cp1252) in the logic; Latin-1 is its closest
  // built-in decoding and is exact for every letter the agent's texts use.
  QMessageBox box(icon, title, QString::fromLatin1(text.data(), qsizetype(text.size())), set);
  box.setWindowFlag(Qt::WindowStaysOnTopHint);
  switch (box.exec()) {
    case QMessageBox::Ok:
      return DialogAnswer::Ok;
    case QMessageBox::Yes:
      return DialogAnswer::Yes;
    case QMessageBox::No:
      return DialogAnswer::No;
    default:
      return buttons == DialogButtons::YesNo ? DialogAnswer::No : DialogAnswer::Cancel;
  }
}

}  // namespace platform
