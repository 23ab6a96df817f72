#include "catalogue/extended_float.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

namespace catalogue {
namespace {

constexpr int kExtendedBias = 16383;
constexpr int kDoubleBias = 1023;
constexpr std::uint64_t kIntegerBit = std::uint64_t{1} << 63;

Extended Pack(bool negative, int exponent, std::uint64_t significand) {
  Extended out{};
  for (int i = 0; i < 8; ++i) out[i] = static_cast<std::uint8_t>(significand >> (8 * i));
  const std::uint16_t top =
      static_cast<std::uint16_t>((negative ? 0x8000 : 0) | (exponent & 0x7FFF));
  out[8] = static_cast<std::uint8_t>(top);
  out[9] = static_cast<std::uint8_t>(top >> 8);
  return out;
}

}  // namespace

Extended ToExtended(double value) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
  const bool negative = bits >> 63;
  const int exponent = static_cast<int>((bits >> 52) & 0x7FF);
  const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);

  if (exponent == 0x7FF)  // infinity, or NaN with its payload and quiet bit
    return Pack(negative, 0x7FFF, kIntegerBit | (fraction << 11));
  if (exponent == 0 && fraction == 0) return Pack(negative, 0, 0);
  if (exponent == 0) {                             // subnormal double: normal in extended precision
    const int shift = std::countl_zero(fraction);  // moves the top bit to bit 63
    return Pack(negative, kExtendedBias - kDoubleBias + 1 - (shift - 11), fraction << shift);
  }
  return Pack(negative, exponent - kDoubleBias + kExtendedBias, kIntegerBit | (fraction << 11));
}

double FromExtended(const Extended& bytes) {
  std::uint64_t significand = 0;
  for (int i = 0; i < 8; ++i) significand |= std::uint64_t{bytes[i]} << (8 * i);
  const int top = bytes[8] | (bytes[9] << 8);
  const bool negative = top & 0x8000;
  const int exponent = top & 0x7FFF;
  const double sign = negative ? -1.0 : 1.0;

  if (exponent == 0x7FFF) {
    if ((significand & ~kIntegerBit) == 0) return sign * std::numeric_limits<double>::infinity();
    return std::copysign(std::numeric_limits<double>::quiet_NaN(), sign);
  }
  if (significand == 0) return sign * 0.0;

  // value = significand * 2^scale; keep 53 bits, or fewer where the result is
  // subnormal, rounding the rest to nearest, ties to even.
  const int scale = (exponent == 0 ? 1 : exponent) - kExtendedBias - 63;
  const int top_bit = 63 - std::countl_zero(significand);
  const int drop = std::max(top_bit - 52, -1074 - scale);
  if (drop <= 0) return sign * std::ldexp(static_cast<double>(significand), scale);
  if (drop > 64) return sign * 0.0;

  std::uint64_t kept = drop == 64 ? 0 : significand >> drop;
  const std::uint64_t rest =
      drop == 64 ? significand : significand & ((std::uint64_t{1} << drop) - 1);
  const std::uint64_t half = std::uint64_t{1} << (drop - 1);
  if (rest > half || (rest == half && (kept & 1))) ++kept;
  return sign * std::ldexp(static_cast<double>(kept), scale + drop);
}

}  // namespace catalogue
