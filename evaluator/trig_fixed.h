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
  return wide::TopLimbs<N>(wide::ShiftLeft(wide::MultiplyFull(a, b), 2));
}

// Exact: only shifts.
template <std::size_t N>
Float<N> Normalize(const Fixed<N>& m, int e) noexcept {
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
  return shift >= 0 ? wide::ShiftLeft(v.m, shift)
                    : wide::ShiftRight(v.m, -shift);
}

// Truncated to N words: a relative error below 2^(1 − 64N).
template <std::size_t N>
Float<N> Mul(const Float<N>& a, const Float<N>& b) noexcept {
  if (wide::IsZero(a.m) || wide::IsZero(b.m)) return {};
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
// reciprocal, each step doubling the 52 correct bits. With B = b scaled into
// [1, 2) and truncated by one bit, the last step's two truncated products
// and B's truncation leave y (in (1/2, 1]) within 4 ulps: a relative error
// below 2^(5 − 64N).
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
  for (int bits = 52; bits < kBits<N>; bits *= 2)
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
  const Fixed<N> halved = wide::ShiftRight(v.m, 1);
  if (force) return wide::RoundExact(negative, halved, v.e + 1);
  return wide::RoundWithin(negative, halved, v.e + 1, err / 2 + 1);
}

}  // namespace evaluator::trig
