#pragma once
// Message boxes shown with the widget toolkit.

#include "platform/dialogs.h"

namespace platform {

class QtDialogs final : public Dialogs {
 public:
  DialogAnswer Show(DialogKind kind, const std::string& text, DialogButtons buttons) override;
};

}  // namespace platform
