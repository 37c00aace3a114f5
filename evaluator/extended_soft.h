#pragma once

#include <bit>
#include <cstdint>

// The extended arithmetic in integers: the same results, bit for bit, as the
// x87 unit with 64-bit precision control and round to nearest, on any
// platform. Extended uses it wherever there is no x87; the tests compare it
// with the hardware.
namespace evaluator::soft {

// The 80-bit image. Only canonical encodings are expected: a set integer
// bit exactly when the exponent field is neither 0 nor 0x7FFF (subnormals
// and zeros have it clear), and infinities with the integer bit alone.
// -Wpedantic frowns on the 128-bit integer that g++ and clang both have.
__extension__ typedef unsigned __int128 UInt128;

struct Bits {
  std::uint64_t significand;
  std::uint16_t signExponent;
};

inline constexpr std::uint16_t kSignBit = 0x8000;
inline constexpr std::uint16_t kExponentMask = 0x7FFF;
inline constexpr int kExponentBias = 16383;
inline constexpr std::uint64_t kIntegerBit = std::uint64_t{1} << 63;
inline constexpr std::uint64_t kQuietNaNSignificand = kIntegerBit | (kIntegerBit >> 1);

constexpr bool IsNaN(Bits a) noexcept {
  return (a.signExponent & kExponentMask) == kExponentMask && a.significand != kIntegerBit;
}
constexpr bool IsInfinite(Bits a) noexcept {
  return (a.signExponent & kExponentMask) == kExponentMask && a.significand == kIntegerBit;
}
constexpr bool IsFinite(Bits a) noexcept { return (a.signExponent & kExponentMask) != kExponentMask; }
constexpr Bits Negate(Bits a) noexcept { return {a.significand, static_cast<std::uint16_t>(a.signExponent ^ kSignBit)}; }
constexpr Bits Abs(Bits a) noexcept { return {a.significand, static_cast<std::uint16_t>(a.signExponent & kExponentMask)}; }

// Exact: a double's 53 bits fit the 64-bit significand and its subnormals
// are normal numbers here.
constexpr Bits FromDouble(double d) noexcept {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(d);
  const auto sign = static_cast<std::uint16_t>((bits >> 48) & kSignBit);
  const int exponentField = static_cast<int>((bits >> 52) & 0x7FF);
  const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
  if (exponentField == 0x7FF) {
    // Infinity, or a NaN that stays one (its payload moves up with it).
    return {kIntegerBit | (fraction << 11), static_cast<std::uint16_t>(sign | kExponentMask)};
  }
  if (exponentField == 0) {
    if (fraction == 0) return {0, sign};
    const int shift = std::countl_zero(fraction);
    // fraction · 2^-1074 with its top bit moved up to bit 63.
    const int exponent = 63 - shift - 1074;
    return {fraction << shift, static_cast<std::uint16_t>(sign | (exponent + kExponentBias))};
  }
  return {kIntegerBit | (fraction << 11),
          static_cast<std::uint16_t>(sign | (exponentField - 1023 + kExponentBias))};
}

enum class Order { kLess, kEqual, kGreater, kUnordered };

// Canonical encodings order by (exponent field, significand) within a sign.
constexpr Order Compare(Bits a, Bits b) noexcept {
  if (IsNaN(a) || IsNaN(b)) return Order::kUnordered;
  const auto magnitude = [](Bits x) {
    return (static_cast<UInt128>(x.signExponent & kExponentMask) << 64) | x.significand;
  };
  const UInt128 ma = magnitude(a);
  const UInt128 mb = magnitude(b);
  if (ma == 0 && mb == 0) return Order::kEqual;  // -0 == +0
  const bool negativeA = (a.signExponent & kSignBit) != 0;
  const bool negativeB = (b.signExponent & kSignBit) != 0;
  if (negativeA != negativeB) return negativeA ? Order::kLess : Order::kGreater;
  if (ma == mb) return Order::kEqual;
  return (ma < mb) != negativeA ? Order::kLess : Order::kGreater;
}

// Each result is the exact one rounded to nearest, ties to even, with
// gradual underflow and overflow to infinity; an invalid operation gives a
// NaN.
Bits Add(Bits a, Bits b) noexcept;
Bits Subtract(Bits a, Bits b) noexcept;
Bits Multiply(Bits a, Bits b) noexcept;
Bits Divide(Bits a, Bits b) noexcept;
Bits SquareRoot(Bits a) noexcept;
double ToDouble(Bits a) noexcept;

}  // namespace evaluator::soft
