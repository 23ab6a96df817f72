#pragma once
// IEEE 754 80-bit extended precision numbers as stored in the catalogue file:
// 64-bit significand with an explicit integer bit, then 16 bits of sign and
// exponent, little-endian. Converted by hand so the result does not depend on
// the platform's long double.

#include <array>
#include <cstdint>

namespace catalogue {

using Extended = std::array<std::uint8_t, 10>;

// Exact: every double has an extended form.
Extended ToExtended(double value);
// Rounded to the nearest double (ties to even); out of range gives infinity,
// below the smallest subnormal gives zero; NaN stays NaN.
double FromExtended(const Extended& bytes);

}  // namespace catalogue
