#include "platform/fake/scripted_dialogs.h"

namespace platform {

DialogAnswer ScriptedDialogs::Show(DialogKind kind, const std::string& text,
                                   DialogButtons buttons) {
  shown_.push_back({kind, text, buttons});
  if (observer_) observer_(shown_.back());
  if (!answers_.empty()) {
    const DialogAnswer answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  switch (buttons) {
    case DialogButtons::Ok:
      return DialogAnswer::Ok;
    case DialogButtons::OkCancel:
      return DialogAnswer::Cancel;
    case DialogButtons::YesNo:
      return DialogAnswer::No;
  }
  return DialogAnswer::Cancel;
}

}  // namespace platform
