#pragma once
// Mouse and keyboard state set by a test, with the same "pressed since the
// previous query" rule as the real input queries.

#include <array>

#include "platform/input_queries.h"

namespace platform {

class FakeInput final : public InputQueries {
 public:
  Point CursorPos() override { return cursor_; }
  int KeyState(VirtualKey key) override {
    if (key < 0 || key > 255) return 0;
    const int state = (down_[key] ? kKeyDown : 0) | (pressedSince_[key] ? kKeyPressedSince : 0);
    pressedSince_[key] = false;
    return state;
  }

  void MoveCursor(Point to) { cursor_ = to; }
  // Holds a key down (marking it pressed) until Release.
  void Hold(VirtualKey key) {
    down_.at(key) = true;
    pressedSince_.at(key) = true;
  }
  void Release(VirtualKey key) { down_.at(key) = false; }
  // A press and release between two queries.
  void Tap(VirtualKey key) { pressedSince_.at(key) = true; }

 private:
  Point cursor_;
  std::array<bool, 256> down_{};
  std::array<bool, 256> pressedSince_{};
};

}  // namespace platform
