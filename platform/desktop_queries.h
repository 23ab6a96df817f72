#pragma once
// The windows on the desktop as the agent needs to know them: which one is
// in front, where it is, which one is under a point, and the screen size.

#include <cstdint>
#include <optional>

namespace platform {

// A top-level window of any program; 0 = none.
using WindowId = std::uint64_t;

// Screen coordinates; right and bottom are exclusive (right = left + width).
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

struct Size {
  int width = 0;
  int height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

class DesktopQueries {
 public:
  virtual ~DesktopQueries() = default;
  // The window that has the user's attention; 0 when there is none.
  virtual WindowId ForegroundWindow() = 0;
  // True for the desktop itself (and for 0): not a program's window.
  virtual bool IsDesktopWindow(WindowId window) = 0;
  // The window's outer rectangle, frame included; nothing when it is gone.
  virtual std::optional<Rect> WindowRect(WindowId window) = 0;
  // The topmost visible top-level window containing the point; 0 for none.
  virtual WindowId WindowAt(int x, int y) = 0;
  // Size of the primary screen.
  virtual Size ScreenSize() = 0;
  // Makes the window the active one and raises it; returns once the window
  // system has done so, or after a short time when it does not.
  virtual void BringToFront(WindowId window) = 0;
};

}  // namespace platform
