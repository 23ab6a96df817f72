#pragma once
// Hot keys without a window system: registrations are kept in a table and a
// test presses a combination.

#include <map>
#include <optional>
#include <utility>

#include "platform/hot_keys.h"

namespace platform {

class FakeHotKeys final : public HotKeys {
 public:
  struct Combination {
    VirtualKey key = 0;
    Modifiers modifiers = 0;
    friend auto operator<=>(const Combination&, const Combination&) = default;
  };

  bool Register(int id, VirtualKey key, Modifiers modifiers) override {
    Unregister(id);
    const Combination wanted{key, modifiers};
    if (key == 0 || IdOf(wanted)) return false;
    registered_[id] = wanted;
    return true;
  }
  void Unregister(int id) override { registered_.erase(id); }

  // Presses a combination: reports its id when one is registered for it.
  void Press(VirtualKey key, Modifiers modifiers) {
    const std::optional<int> id = IdOf({key, modifiers});
    if (id && onHotKey) onHotKey(*id);
  }
  std::optional<Combination> RegisteredAs(int id) const {
    const auto found = registered_.find(id);
    if (found == registered_.end()) return std::nullopt;
    return found->second;
  }
  const std::map<int, Combination>& registered() const { return registered_; }

 private:
  std::optional<int> IdOf(const Combination& combination) const {
    for (const auto& [id, held] : registered_) {
      if (held == combination) return id;
    }
    return std::nullopt;
  }

  std::map<int, Combination> registered_;
};

}  // namespace platform
