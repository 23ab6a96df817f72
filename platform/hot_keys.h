#pragma once
// Global hot keys: a key combination that reaches the agent whichever
// application has the keyboard. Each registration has an id chosen by the
// caller; a press is reported with that id.

#include <functional>

#include "platform/virtual_keys.h"

namespace platform {

class HotKeys {
 public:
  virtual ~HotKeys() = default;
  // Registers `key` with `modifiers` (kModShift | kModControl | kModAlt) under
  // `id`, replacing what `id` held before. False, and nothing registered, when
  // the key cannot be had: no key, a key another program holds, a combination
  // already registered under another id, or no display.
  virtual bool Register(int id, VirtualKey key, Modifiers modifiers) = 0;
  // Frees the key held under `id`; nothing when `id` holds none.
  virtual void Unregister(int id) = 0;

  // Called on the UI thread, from the event loop, with the id of a pressed key.
  std::function<void(int id)> onHotKey;
};

}  // namespace platform
