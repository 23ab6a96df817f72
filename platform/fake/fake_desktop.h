#pragma once
// A desktop of windows kept as a stacking list (topmost first), set up by a
// test. BringToFront moves a window to the top and makes it the foreground.

#include <algorithm>
#include <vector>

#include "platform/desktop_queries.h"

namespace platform {

class FakeDesktop final : public DesktopQueries {
 public:
  struct Window {
    WindowId id = 0;
    Rect rect;
    bool desktop = false;
  };

  WindowId ForegroundWindow() override { return foreground_; }
  bool IsDesktopWindow(WindowId window) override {
    const Window* found = Find(window);
    return window == 0 || (found && found->desktop);
  }
  std::optional<Rect> WindowRect(WindowId window) override {
    const Window* found = Find(window);
    if (!found) return std::nullopt;
    return found->rect;
  }
  WindowId WindowAt(int x, int y) override {
    for (const Window& window : stack_) {
      const Rect& r = window.rect;
      if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return window.id;
    }
    return 0;
  }
  Size ScreenSize() override { return screen_; }
  void BringToFront(WindowId window) override {
    const auto found =
        std::find_if(stack_.begin(), stack_.end(), [&](const Window& w) { return w.id == window; });
    if (found == stack_.end()) return;
    std::rotate(stack_.begin(), found, found + 1);
    foreground_ = window;
    ++bringToFrontCalls_;
  }

  void SetScreen(Size size) { screen_ = size; }
  // Adds a window on top of the others.
  void AddOnTop(Window window) { stack_.insert(stack_.begin(), window); }
  void SetForeground(WindowId window) { foreground_ = window; }
  int bringToFrontCalls() const { return bringToFrontCalls_; }

 private:
  const Window* Find(WindowId window) const {
    for (const Window& w : stack_) {
      if (w.id == window) return &w;
    }
    return nullptr;
  }

  std::vector<Window> stack_;
  WindowId foreground_ = 0;
  Size screen_{1280, 1024};
  int bringToFrontCalls_ = 0;
};

}  // namespace platform
