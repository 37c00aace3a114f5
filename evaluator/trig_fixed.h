#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "evaluator/extended.h"
#include "evaluator/wide.h"

// The number formats of the trigonometric primitives, on the wide
// integers: fixed-point values with two integer bits (so π fits), floating
// values with a wide mantissa, a Newton reciprocal, and rounding to the
// extended format with an error bound. Every operation truncates; the
// callers count the truncations.

namespace evaluator::trig {

using u64 = wide::Limb;
using u128 = wide::DoubleLimb;

// Value: the integer times 2^(2 − 64N), so values in [0, 4); one unit in
// the last place ("ulp") is 2^(2 − 64N).
template <std::size_t N>
using Fixed = wide::Unsigned<N>;

// Value: m · 2^e, with the top bit of m set (or m zero for the value 0).
template <std::size_t N>
struct Float {
  Fixed<N> m;
  int e = 0;
};

template <std::size_t N>
constexpr int kBits = static_cast<int>(64 * N);

// One and two words go through the compiler's 128-bit integers, which
// keeps the fast evaluations free of loops.
inline u128 Join(const Fixed<2>& a) noexcept {
  return static_cast<u128>(a.limbs[1]) << 64 | a.limbs[0];
}
inline Fixed<2> Split(u128 v) noexcept {
  Fixed<2> f;
  f.limbs[0] = static_cast<u64>(v);
  f.limbs[1] = static_cast<u64>(v >> 64);
  return f;
}

// The top 128 bits of the 256-bit product a·b, and the 64 bits below them.
inline u128 ProductHigh(u128 a, u128 b, u64& below) noexcept {
  const u64 aHigh = static_cast<u64>(a >> 64), aLow = static_cast<u64>(a);
  const u64 bHigh = static_cast<u64>(b >> 64), bLow = static_cast<u64>(b);
  const u128 lowLow = static_cast<u128>(aLow) * bLow;
  const u128 lowHigh = static_cast<u128>(aLow) * bHigh;
  const u128 highLow = static_cast<u128>(aHigh) * bLow;
  const u128 middle = (lowLow >> 64) + static_cast<u64>(lowHigh) +
                      static_cast<u64>(highLow);
  below = static_cast<u64>(middle);
  return static_cast<u128>(aHigh) * bHigh + (lowHigh >> 64) +
         (highLow >> 64) + (middle >> 64);
}

// The first N of a constant's big-endian words (a truncation).
template <std::size_t N>
Fixed<N> LoadFixed(const u64* words) noexcept {
  Fixed<N> f;
  for (std::size_t i = 0; i < N; ++i) f.limbs[N - 1 - i] = words[i];
  return f;
}

template <std::size_t N>
u64 TopLimb(const Fixed<N>& a) noexcept {
  return a.limbs[N - 1];
}

// |a − b|, and whether a < b.
template <std::size_t N>
Fixed<N> AbsoluteDifference(const Fixed<N>& a, const Fixed<N>& b,
                            bool& negative) noexcept {
  negative = wide::Compare(a, b) < 0;
  return negative ? wide::Difference(b, a) : wide::Difference(a, b);
}

// Fixed-point product, truncated: below the exact one by under 1 ulp. The
// product must stay below 4.
template <std::size_t N>
Fixed<N> Mul(const Fixed<N>& a, const Fixed<N>& b) noexcept {
  if constexpr (N == 1) {
    const u128 p = static_cast<u128>(a.limbs[0]) * b.limbs[0];
    return Fixed<1>{{static_cast<u64>(p >> 62)}};
  } else if constexpr (N == 2) {
    u64 below;
    const u128 high = ProductHigh(Join(a), Join(b), below);
    return Split(high << 2 | below >> 62);
  } else {
    return wide::TopLimbs<N>(wide::ShiftLeft(wide::MultiplyFull(a, b), 2));
  }
}

// Exact: only shifts.
template <std::size_t N>
Float<N> Normalize(const Fixed<N>& m, int e) noexcept {
  if constexpr (N == 1) {
    if (m.limbs[0] == 0) return {};
    const int shift = std::countl_zero(m.limbs[0]);
    return {Fixed<1>{{m.limbs[0] << shift}}, e - shift};
  } else if constexpr (N == 2) {
    const u128 v = Join(m);
    if (v == 0) return {};
    const int shift = m.limbs[1] != 0 ? std::countl_zero(m.limbs[1])
                                      : 64 + std::countl_zero(m.limbs[0]);
    return {Split(v << shift), e - shift};
  }
  const int top = wide::HighestBit(m);
  if (top < 0) return {};
  const int shift = kBits<N> - 1 - top;
  return {wide::ShiftLeft(m, shift), e - shift};
}

template <std::size_t N>
Float<N> ToFloat(const Fixed<N>& f) noexcept {
  return Normalize(f, 2 - kBits<N>);
}

// Truncates below the fixed point's ulp (under 1 ulp). The value must be
// below 4.
template <std::size_t N>
Fixed<N> ToFixed(const Float<N>& v) noexcept {
  const int shift = v.e - (2 - kBits<N>);
  if constexpr (N <= 2) {
    if (shift >= kBits<N> || shift <= -kBits<N>) return {};
    if constexpr (N == 1)
      return Fixed<1>{{shift >= 0 ? v.m.limbs[0] << shift
                                  : v.m.limbs[0] >> -shift}};
    else
      return Split(shift >= 0 ? Join(v.m) << shift : Join(v.m) >> -shift);
  }
  return shift >= 0 ? wide::ShiftLeft(v.m, shift)
                    : wide::ShiftRight(v.m, -shift);
}

// Truncated to N words: a relative error below 2^(1 − 64N).
template <std::size_t N>
Float<N> Mul(const Float<N>& a, const Float<N>& b) noexcept {
  if (wide::IsZero(a.m) || wide::IsZero(b.m)) return {};
  if constexpr (N == 1) {
    const u128 p = static_cast<u128>(a.m.limbs[0]) * b.m.limbs[0];
    const int shift = static_cast<int>(p >> 127) ^ 1;
    return {Fixed<1>{{static_cast<u64>(p >> (64 - shift))}},
            a.e + b.e + 64 - shift};
  } else if constexpr (N == 2) {
    u64 below;
    const u128 high = ProductHigh(Join(a.m), Join(b.m), below);
    const int shift = static_cast<int>(high >> 127) ^ 1;
    return {Split(shift == 0 ? high : high << 1 | below >> 63),
            a.e + b.e + 128 - shift};
  }
  const auto product = wide::MultiplyFull(a.m, b.m);
  // The product of two normalized mantissas has its top bit at one of the
  // two highest places.
  const int shift = (product.limbs[2 * N - 1] >> 63) != 0 ? 0 : 1;
  return {wide::TopLimbs<N>(wide::ShiftLeft(product, shift)),
          a.e + b.e + kBits<N> - shift};
}

template <std::size_t N>
Float<N> Mul(const Float<N>& a, const Fixed<N>& b) noexcept {
  return Mul(a, ToFloat(b));
}

// 1/b for b > 0 by Newton's iteration y ← y·(2 − B·y) from the double
// reciprocal of B = b scaled into [1, 2): the double's error is below
// 1.5·2^-52 (B cut to 53 bits, one rounding), and each step squares it and
// adds the step's truncations (B's by one bit, two products: 4 ulps of y in
// (1/2, 1]). Steps stop once the squared error is below 2^(40 − 64N):
// none for one word, one for two (2^-102.7 + 2^-124), four for eight.
template <std::size_t N>
Float<N> Reciprocal(const Float<N>& b) noexcept {
  const Fixed<N> scaled = wide::ShiftRight(b.m, 1);  // b's mantissa as [1, 2)
  const double approximate =
      static_cast<double>(TopLimb(b.m) >> 11) * 0x1p-52;  // exact: 53 bits
  const double guess = 1.0 / approximate;                 // in (1/2, 1]
  Fixed<N> y;
  y.limbs[N - 1] = static_cast<u64>(guess * 0x1p62);  // exact: whole
  Fixed<N> two;
  two.limbs[N - 1] = u64{2} << 62;
  for (int bits = 51; bits < kBits<N> - 40; bits *= 2)
    y = Mul(y, wide::Difference(two, Mul(scaled, y)));
  // b = B·2^(e + 64N − 1) and y·2^(2 − 64N) ≈ 1/B.
  return Normalize(y, 2 - kBits<N> - (b.e + kBits<N> - 1));
}

// The extended value nearest ±v, or nothing when the exact value, known
// only to lie within err units of v's last mantissa bit, may round either
// way. With force, v itself is rounded. The mantissa is halved first to
// leave the rounding room for the carry of the interval's upper end.
template <std::size_t N>
std::optional<Extended> RoundToExtended(bool negative, const Float<N>& v,
                                        u64 err, bool force) noexcept {
  if constexpr (N == 2) {
    // Normal results directly: the top word is the significand, the
    // boundary is the low word's half, and no other boundary lies within
    // 2^62 units.
    const int field = v.e + 127 + wide::kExtendedBias;
    if (!force && field >= 1 && field < wide::kExtendedInfiniteField - 1 &&
        (v.m.limbs[1] >> 63) != 0) {
      constexpr u64 kHalf = u64{1} << 63;
      const u64 rest = v.m.limbs[0];
      if ((rest >= kHalf ? rest - kHalf : kHalf - rest) <= err)
        return std::nullopt;
      u64 significand = v.m.limbs[1];
      int biased = field;
      if (rest > kHalf && ++significand == 0) {
        significand = kHalf;
        ++biased;
      }
      const int sign = negative ? wide::kExtendedSignBit : 0;
      return Extended::FromBits(static_cast<std::uint16_t>(sign | biased),
                                significand);
    }
  }
  const Fixed<N> halved = wide::ShiftRight(v.m, 1);
  if (force) return wide::RoundExact(negative, halved, v.e + 1);
  return wide::RoundWithin(negative, halved, v.e + 1, err / 2 + 1);
}

}  // namespace evaluator::trig
