#pragma once
// What the user is doing with mouse and keyboard right now: the cursor
// position and the state of each key and mouse button by virtual-key number.

#include "platform/virtual_keys.h"

namespace platform {

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

class InputQueries {
 public:
  virtual ~InputQueries() = default;
  // Cursor position in screen coordinates; (0, 0) when it cannot be read.
  virtual Point CursorPos() = 0;
  // The asynchronous key state of `key` (0..255): kKeyDown while it is held
  // now, plus kKeyPressedSince when it was pressed since the previous call
  // for the same key; 0 otherwise. Each call clears the "pressed since" mark
  // of its key. Mouse buttons count (vk::kLButton, ...), the wheel does not.
  virtual int KeyState(VirtualKey key) = 0;

  static constexpr int kKeyDown = 0x8000;
  static constexpr int kKeyPressedSince = 0x0001;
};

}  // namespace platform
