#pragma once
// The desktop's windows on X11, through an xcb connection of its own: the
// active window from _NET_ACTIVE_WINDOW, rectangles of the window manager's
// frames in root coordinates, the stacking order of the root's children, and
// the primary screen. Every request is checked, so a window that vanishes
// mid-query gives "nothing", never an error.

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/desktop_queries.h"

struct xcb_connection_t;

namespace platform {

class X11DesktopQueries final : public DesktopQueries {
 public:
  // Connects to $DISPLAY; without a display every query answers "nothing".
  X11DesktopQueries();
  ~X11DesktopQueries() override;
  X11DesktopQueries(const X11DesktopQueries&) = delete;
  X11DesktopQueries& operator=(const X11DesktopQueries&) = delete;

  WindowId ForegroundWindow() override;
  bool IsDesktopWindow(WindowId window) override;
  std::optional<Rect> WindowRect(WindowId window) override;
  WindowId WindowAt(int x, int y) override;
  Size ScreenSize() override;
  void BringToFront(WindowId window) override;

 private:
  std::uint32_t InternAtom(const char* name);
  std::optional<std::vector<std::uint32_t>> Property32(std::uint32_t window, std::uint32_t atom,
                                                       std::uint32_t type);
  bool HasProperty(std::uint32_t window, std::uint32_t atom);
  // The child of the root that holds `window` (the manager's frame around it).
  std::optional<std::uint32_t> TopLevelOf(std::uint32_t window);
  // The program's window inside a frame: the one the manager marked with
  // WM_STATE, or the frame itself.
  std::uint32_t ClientOf(std::uint32_t frame, int depth = 0);
  bool WindowManagerRunning();

  xcb_connection_t* connection_ = nullptr;
  std::uint32_t root_ = 0;
  Size rootSize_;
  std::uint32_t activeWindowAtom_ = 0;
  std::uint32_t windowTypeAtom_ = 0;
  std::uint32_t windowTypeDesktopAtom_ = 0;
  std::uint32_t wmStateAtom_ = 0;
  std::uint32_t supportingWmCheckAtom_ = 0;
};

}  // namespace platform
