#pragma once
// Dialogs answered from a script given in advance. Each box shown is recorded;
// when the script runs out, a box gets its negative answer (Cancel, No) or Ok.

#include <deque>
#include <functional>
#include <vector>

#include "platform/dialogs.h"

namespace platform {

class ScriptedDialogs final : public Dialogs {
 public:
  struct Shown {
    DialogKind kind;
    std::string text;
    DialogButtons buttons;
  };

  void NextAnswer(DialogAnswer answer) { answers_.push_back(answer); }
  const std::vector<Shown>& shown() const { return shown_; }
  // Called for every box shown, for example to echo it.
  void OnShow(std::function<void(const Shown&)> observer) { observer_ = std::move(observer); }

  DialogAnswer Show(DialogKind kind, const std::string& text, DialogButtons buttons) override;

 private:
  std::deque<DialogAnswer> answers_;
  std::vector<Shown> shown_;
  std::function<void(const Shown&)> observer_;
};

}  // namespace platform
