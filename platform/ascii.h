#pragma once
// Comparison of names that ignores the case of the letters A to Z only, the
// same in every locale (key names, settings keys, field names).

#include <algorithm>
#include <string_view>

namespace platform {

constexpr char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

inline bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

}  // namespace platform
