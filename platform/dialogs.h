#pragma once
// Message boxes. The forms ask through this interface, so tests can answer
// in advance instead of clicking through modal loops.

#include <string>

namespace platform {

enum class DialogKind { Information, Warning, Error, Confirmation };
enum class DialogButtons { Ok, OkCancel, YesNo };
enum class DialogAnswer { Ok, Cancel, Yes, No };

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  virtual DialogAnswer Show(DialogKind kind, const std::string& text, DialogButtons buttons) = 0;
};

}  // namespace platform
