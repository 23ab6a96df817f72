#pragma once
// Comparison of names that ignores the case of the letters A to Z only, the
// same in every locale (key names, settings keys, field names).

#include <algorithm>
#include <string_view>

namespace platform {

inline bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  constexpr auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [&](char x, char y) { return lower(x) == lower(y); });
}

}  // namespace platform
