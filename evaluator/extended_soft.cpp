#include "evaluator/extended_soft.h"

#include <bit>
#include <cstdint>
#include <limits>
#include <utility>

namespace evaluator::soft {
namespace {

constexpr int kMinNormalExponent = 1 - kExponentBias;
constexpr std::uint64_t kHalf = kIntegerBit;  // half a unit of the kept part

constexpr std::uint16_t SignOf(bool negative) noexcept { return negative ? kSignBit : 0; }
constexpr bool IsNegative(Bits a) noexcept { return (a.signExponent & kSignBit) != 0; }
constexpr bool IsZero(Bits a) noexcept { return (a.signExponent & kExponentMask) == 0 && a.significand == 0; }

// Neither zero, subnormal, infinite nor NaN: the usual case, which needs
// none of the special rules.
constexpr bool BothNormal(Bits a, Bits b) noexcept {
  const unsigned fieldA = a.signExponent & kExponentMask;
  const unsigned fieldB = b.signExponent & kExponentMask;
  return fieldA - 1 < kExponentMask - 1 && fieldB - 1 < kExponentMask - 1;
}

constexpr Bits Zero(bool negative) noexcept { return {0, SignOf(negative)}; }
constexpr Bits Infinity(bool negative) noexcept { return {kIntegerBit, static_cast<std::uint16_t>(SignOf(negative) | kExponentMask)}; }
constexpr Bits NaN() noexcept { return {kQuietNaNSignificand, kExponentMask}; }

// A finite non-zero value as significand · 2^(exponent − 63), with the
// significand's top bit set (subnormals are normalized here).
struct Unpacked {
  bool negative;
  int exponent;
  std::uint64_t significand;
};

constexpr Unpacked Unpack(Bits a) noexcept {
  const int field = a.signExponent & kExponentMask;
  if (field != 0) return {IsNegative(a), field - kExponentBias, a.significand};
  const int shift = std::countl_zero(a.significand);
  return {IsNegative(a), kMinNormalExponent - shift, a.significand << shift};
}

constexpr int CountLeadingZeros(UInt128 m) noexcept {
  const auto high = static_cast<std::uint64_t>(m >> 64);
  return high != 0 ? std::countl_zero(high) : 64 + std::countl_zero(static_cast<std::uint64_t>(m));
}

// m >> shift, with every bit shifted out folded into bit 0 so that the
// rounding still sees that something lay below.
constexpr UInt128 ShiftRightSticky(UInt128 m, int shift) noexcept {
  if (shift <= 0) return m;
  if (shift >= 128) return m != 0 ? 1 : 0;
  const UInt128 lost = m & ((UInt128{1} << shift) - 1);
  return (m >> shift) | (lost != 0 ? 1 : 0);
}

// The value m · 2^(exponent − 127), where bit 0 of m may stand for further
// non-zero bits below it, rounded to extended. m must not be 0.
Bits RoundToExtended(bool negative, int exponent, UInt128 m) noexcept {
  const int normalize = CountLeadingZeros(m);
  m <<= normalize;
  int field = exponent - normalize + kExponentBias;
  if (field <= 0) {
    // Gradual underflow: the significand's unit stays at the smallest
    // normal exponent's.
    m = ShiftRightSticky(m, 1 - field);
    field = 0;
  }
  auto kept = static_cast<std::uint64_t>(m >> 64);
  const auto rest = static_cast<std::uint64_t>(m);
  if (rest > kHalf || (rest == kHalf && (kept & 1) != 0)) {
    ++kept;
    if (kept == 0) {  // carried out of the significand
      kept = kIntegerBit;
      ++field;
    }
  }
  if (field == 0 && (kept & kIntegerBit) != 0) field = 1;  // rounded up to the smallest normal
  if (field >= kExponentMask) return Infinity(negative);
  return {kept, static_cast<std::uint16_t>(SignOf(negative) | field)};
}

Bits AddMagnitudes(Unpacked larger, Unpacked smaller, bool subtract) noexcept {
  // One spare bit above for the carry, 63 guard bits below the significand.
  const UInt128 a = static_cast<UInt128>(larger.significand) << 63;
  const UInt128 b = ShiftRightSticky(static_cast<UInt128>(smaller.significand) << 63,
                                     larger.exponent - smaller.exponent);
  // With a exponent gap of 2 or more the difference loses at most one bit
  // of normalization, so the sticky bit stays far below the rounding point;
  // with a smaller gap nothing was shifted out.
  const UInt128 m = subtract ? a - b : a + b;
  if (m == 0) return Zero(false);  // x − x is +0 when rounding to nearest
  return RoundToExtended(larger.negative, larger.exponent + 1, m);
}

constexpr bool MagnitudeBelow(Unpacked a, Unpacked b) noexcept {
  return a.exponent != b.exponent ? a.exponent < b.exponent : a.significand < b.significand;
}

// An approximation of √m for m in [2^126, 2^128), within a few thousand
// units of the truth: Newton's iteration in doubles from 1.4 · 2^63 (at most
// 43 % off) squares the relative error each step, so five steps reach the
// double's own precision.
std::uint64_t ApproximateSquareRoot(UInt128 m) noexcept {
  const auto target = static_cast<double>(m);
  double y = 0x1.6p63;
  for (int step = 0; step < 5; ++step) y = 0.5 * (y + target / y);
  return y >= 0x1p64 ? std::numeric_limits<std::uint64_t>::max() : static_cast<std::uint64_t>(y);
}

// ⌊√m⌋ for m in [2^126, 2^128).
std::uint64_t IntegerSquareRoot(UInt128 m) noexcept {
  UInt128 s = ApproximateSquareRoot(m);
  // One integer Newton step lands at ⌊√m⌋ or just above it (never below).
  s = (s + m / s) / 2;
  if (s > std::numeric_limits<std::uint64_t>::max()) s = std::numeric_limits<std::uint64_t>::max();
  while (s * s > m) --s;
  return static_cast<std::uint64_t>(s);
}

}  // namespace

Bits Add(Bits a, Bits b) noexcept {
  if (!BothNormal(a, b)) {
    if (IsNaN(a) || IsNaN(b)) return NaN();
    if (IsInfinite(a) || IsInfinite(b)) {
      if (IsInfinite(a) && IsInfinite(b) && IsNegative(a) != IsNegative(b)) return NaN();
      return IsInfinite(a) ? a : b;
    }
    if (IsZero(a) && IsZero(b)) return Zero(IsNegative(a) && IsNegative(b));
    if (IsZero(a)) return b;
    if (IsZero(b)) return a;
  }
  Unpacked x = Unpack(a);
  Unpacked y = Unpack(b);
  if (MagnitudeBelow(x, y)) std::swap(x, y);
  return AddMagnitudes(x, y, x.negative != y.negative);
}

Bits Subtract(Bits a, Bits b) noexcept {
  // Negating a NaN leaves a NaN, so this is the x87 subtraction too.
  return Add(a, Negate(b));
}

Bits Multiply(Bits a, Bits b) noexcept {
  const bool negative = IsNegative(a) != IsNegative(b);
  if (!BothNormal(a, b)) {
    if (IsNaN(a) || IsNaN(b)) return NaN();
    if (IsInfinite(a) || IsInfinite(b)) {
      if (IsZero(a) || IsZero(b)) return NaN();
      return Infinity(negative);
    }
    if (IsZero(a) || IsZero(b)) return Zero(negative);
  }
  const Unpacked x = Unpack(a);
  const Unpacked y = Unpack(b);
  const UInt128 product = static_cast<UInt128>(x.significand) * y.significand;
  // product · 2^(ex + ey − 126) = product · 2^((ex + ey + 1) − 127)
  return RoundToExtended(negative, x.exponent + y.exponent + 1, product);
}

Bits Divide(Bits a, Bits b) noexcept {
  const bool negative = IsNegative(a) != IsNegative(b);
  if (!BothNormal(a, b)) {
    if (IsNaN(a) || IsNaN(b)) return NaN();
    if (IsInfinite(a)) return IsInfinite(b) ? NaN() : Infinity(negative);
    if (IsInfinite(b)) return Zero(negative);
    if (IsZero(b)) return IsZero(a) ? NaN() : Infinity(negative);
    if (IsZero(a)) return Zero(negative);
  }
  const Unpacked x = Unpack(a);
  const Unpacked y = Unpack(b);
  // Scale the dividend so that the first quotient word lies in [2^63, 2^64).
  const bool dividendBelow = x.significand < y.significand;
  const UInt128 dividend = static_cast<UInt128>(x.significand) << (dividendBelow ? 64 : 63);
  const UInt128 high = dividend / y.significand;
  const UInt128 remainder = dividend % y.significand;
  const UInt128 next = remainder << 64;
  const UInt128 low = next / y.significand;
  const bool inexact = next % y.significand != 0;
  const UInt128 quotient = (high << 64) | low | (inexact ? 1 : 0);
  // quotient · 2^(ex − ey − (63 or 64) − 64)
  const int exponent = x.exponent - y.exponent - (dividendBelow ? 64 : 63) + 63;
  return RoundToExtended(negative, exponent, quotient);
}

Bits SquareRoot(Bits a) noexcept {
  if (IsNaN(a)) return NaN();
  if (IsZero(a)) return a;  // √−0 is −0
  if (IsNegative(a)) return NaN();
  if (IsInfinite(a)) return a;
  const Unpacked x = Unpack(a);
  // x = m · 2^(e − 63 − shift) with the power even and m in [2^126, 2^128).
  const int power = x.exponent - 63;
  const int shift = (power % 2 == 0) ? 64 : 63;
  const UInt128 m = static_cast<UInt128>(x.significand) << shift;
  const std::uint64_t root = IntegerSquareRoot(m);
  const UInt128 remainder = m - static_cast<UInt128>(root) * root;
  // √m lies above root + 1/2 exactly when m − root² > root (never equal:
  // (root + 1/2)² is no integer).
  const std::uint64_t below = remainder > root ? kHalf | 1 : (remainder != 0 ? 1 : 0);
  const UInt128 scaled = (static_cast<UInt128>(root) << 64) | below;
  // √x = scaled · 2^((power − shift) / 2 − 64)
  return RoundToExtended(false, (power - shift) / 2 + 63, scaled);
}

double ToDouble(Bits a) noexcept {
  const bool negative = IsNegative(a);
  const std::uint64_t sign = negative ? std::uint64_t{1} << 63 : 0;
  if (IsNaN(a)) return std::numeric_limits<double>::quiet_NaN();
  if (IsInfinite(a)) return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
  if (IsZero(a)) return negative ? -0.0 : 0.0;
  const Unpacked x = Unpack(a);
  constexpr int kDoubleBias = 1023;
  constexpr std::uint64_t kInfinityBits = std::uint64_t{0x7FF} << 52;
  const int field = x.exponent + kDoubleBias;
  if (field >= 0x7FF) return std::bit_cast<double>(sign | kInfinityBits);
  // Keep 53 bits, or fewer for a double subnormal (whose unit is 2^-1074).
  const int dropped = 11 + (field <= 0 ? 1 - field : 0);
  if (dropped > 64) return std::bit_cast<double>(sign);  // below half the smallest subnormal
  const UInt128 m = (static_cast<UInt128>(x.significand) << 64) >> dropped;
  auto kept = static_cast<std::uint64_t>(m >> 64);
  const auto rest = static_cast<std::uint64_t>(m);
  if (rest > kHalf || (rest == kHalf && (kept & 1) != 0)) ++kept;
  // A subnormal's bits are the kept value itself; a normal's implicit bit
  // adds one to the stored exponent field, and a carry out of 53 bits (or
  // into the smallest normal) moves the exponent on by itself.
  const std::uint64_t magnitude =
      field <= 0 ? kept : (static_cast<std::uint64_t>(field - 1) << 52) + kept;
  if (magnitude >= kInfinityBits) return std::bit_cast<double>(sign | kInfinityBits);
  return std::bit_cast<double>(sign | magnitude);
}

}  // namespace evaluator::soft
