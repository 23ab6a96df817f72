#pragma once
// Mouse and keyboard state on X11, through a connection of its own: the
// cursor and held buttons from the pointer, held keys from the keymap, and
// "pressed since the previous query" from XInput2 raw events, which the server
// sends whichever window has the keyboard or grabs it.

#include <array>
#include <chrono>
#include <memory>
#include <vector>

#include "platform/input_queries.h"

struct _XDisplay;

class QSocketNotifier;

namespace platform {

class X11InputQueries final : public InputQueries {
 public:
  // Connects to $DISPLAY. Without a display (or without XInput2 for the
  // "pressed since" part) the queries answer "nothing": (0, 0) and 0.
  X11InputQueries();
  ~X11InputQueries() override;
  X11InputQueries(const X11InputQueries&) = delete;
  X11InputQueries& operator=(const X11InputQueries&) = delete;

  Point CursorPos() override;
  int KeyState(VirtualKey key) override;

 private:
  // Takes in the raw events and keyboard changes that have arrived.
  void ReadEvents();
  void LoadKeyboardMap();
  bool HeldNow(VirtualKey key);
  // Keys and buttons held now, asked of the server at most every few
  // milliseconds: a sweep over all 256 keys then costs two round trips.
  void RefreshHeld();

  _XDisplay* display_ = nullptr;
  int xinputOpcode_ = -1;
  // Keeps the connection read while no one asks, so events do not pile up.
  std::unique_ptr<QSocketNotifier> notifier_;
  std::array<std::vector<VirtualKey>, 256> keysOfKeycode_;
  std::array<std::vector<int>, 256> keycodesOfKey_;
  std::array<bool, 256> pressedSince_{};
  std::chrono::steady_clock::time_point heldAt_{};
  std::array<char, 32> keymap_{};
  unsigned int buttons_ = 0;
};

}  // namespace platform
