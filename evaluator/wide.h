#pragma once

// Multi-precision pieces for the correctly rounded primitives: unsigned
// integers of a fixed number of 64-bit limbs, the fixed-point products the
// series and tables are evaluated with, and the step that rounds a wide
// value known only within an error bound to an Extended (or says that the
// bound straddles a rounding boundary, so a wider evaluation must decide).

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "evaluator/extended.h"

namespace evaluator::wide {

using Limb = std::uint64_t;
// GCC and Clang provide it on every 64-bit target and on wasm32.
__extension__ typedef unsigned __int128 DoubleLimb;

// limbs[0] is the least significant. As a fixed-point fraction (Q0.64N) the
// value is the integer divided by 2^(64N); "one unit" below means 2^-64N.
template <std::size_t N>
struct Unsigned {
  std::array<Limb, N> limbs{};

  static constexpr std::size_t kLimbs = N;
  static constexpr int kBits = static_cast<int>(64 * N);
};

template <std::size_t N>
constexpr bool IsZero(const Unsigned<N>& a) noexcept {
  for (Limb limb : a.limbs)
    if (limb != 0) return false;
  return true;
}

// −1, 0 or 1 as a is below, equal to or above b.
template <std::size_t N>
constexpr int Compare(const Unsigned<N>& a, const Unsigned<N>& b) noexcept {
  for (std::size_t i = N; i-- > 0;)
    if (a.limbs[i] != b.limbs[i]) return a.limbs[i] < b.limbs[i] ? -1 : 1;
  return 0;
}

// a += b; returns the carry out of the top limb.
template <std::size_t N>
constexpr Limb AddTo(Unsigned<N>& a, const Unsigned<N>& b) noexcept {
  Limb carry = 0;
  for (std::size_t i = 0; i < N; ++i) {
    DoubleLimb sum = DoubleLimb{a.limbs[i]} + b.limbs[i] + carry;
    a.limbs[i] = static_cast<Limb>(sum);
    carry = static_cast<Limb>(sum >> 64);
  }
  return carry;
}

// a −= b; returns the borrow out of the top limb (1 when b > a).
template <std::size_t N>
constexpr Limb SubtractFrom(Unsigned<N>& a, const Unsigned<N>& b) noexcept {
  Limb borrow = 0;
  for (std::size_t i = 0; i < N; ++i) {
    DoubleLimb difference = DoubleLimb{a.limbs[i]} - b.limbs[i] - borrow;
    a.limbs[i] = static_cast<Limb>(difference);
    borrow = static_cast<Limb>(difference >> 64) & 1;
  }
  return borrow;
}

template <std::size_t N>
constexpr Unsigned<N> Sum(Unsigned<N> a, const Unsigned<N>& b) noexcept {
  AddTo(a, b);
  return a;
}

template <std::size_t N>
constexpr Unsigned<N> Difference(Unsigned<N> a, const Unsigned<N>& b) noexcept {
  SubtractFrom(a, b);
  return a;
}

// a += small at the lowest limb; returns the carry out of the top limb.
template <std::size_t N>
constexpr Limb AddSmall(Unsigned<N>& a, Limb small) noexcept {
  for (std::size_t i = 0; i < N && small != 0; ++i) {
    a.limbs[i] += small;
    small = a.limbs[i] < small ? 1 : 0;
  }
  return small;
}

// The exact product of an N-limb and an M-limb integer.
template <std::size_t N, std::size_t M>
constexpr Unsigned<N + M> MultiplyFull(const Unsigned<N>& a,
                                       const Unsigned<M>& b) noexcept {
  Unsigned<N + M> product;
  for (std::size_t i = 0; i < N; ++i) {
    Limb carry = 0;
    for (std::size_t j = 0; j < M; ++j) {
      DoubleLimb term = DoubleLimb{a.limbs[i]} * b.limbs[j] +
                        product.limbs[i + j] + carry;
      product.limbs[i + j] = static_cast<Limb>(term);
      carry = static_cast<Limb>(term >> 64);
    }
    product.limbs[i + M] = carry;
  }
  return product;
}

// The exact product of an N-limb integer and one limb.
template <std::size_t N>
constexpr Unsigned<N + 1> MultiplyByLimb(const Unsigned<N>& a,
                                         Limb b) noexcept {
  Unsigned<N + 1> product;
  Limb carry = 0;
  for (std::size_t i = 0; i < N; ++i) {
    DoubleLimb term = DoubleLimb{a.limbs[i]} * b + carry;
    product.limbs[i] = static_cast<Limb>(term);
    carry = static_cast<Limb>(term >> 64);
  }
  product.limbs[N] = carry;
  return product;
}

// The most significant M limbs of a (M ≤ N): a fixed-point fraction cut to
// fewer bits, smaller than a by less than one unit of the result.
template <std::size_t M, std::size_t N>
constexpr Unsigned<M> TopLimbs(const Unsigned<N>& a) noexcept {
  static_assert(M <= N);
  Unsigned<M> top;
  for (std::size_t i = 0; i < M; ++i) top.limbs[i] = a.limbs[N - M + i];
  return top;
}

// a with zero limbs added above it (M ≥ N): the same integer.
template <std::size_t M, std::size_t N>
constexpr Unsigned<M> Widen(const Unsigned<N>& a) noexcept {
  static_assert(M >= N);
  Unsigned<M> wider;
  for (std::size_t i = 0; i < N; ++i) wider.limbs[i] = a.limbs[i];
  return wider;
}

// The fixed-point product of two Q0.64N fractions, truncated to Q0.64N:
// below the exact product by less than one unit.
template <std::size_t N>
constexpr Unsigned<N> MultiplyFraction(const Unsigned<N>& a,
                                       const Unsigned<N>& b) noexcept {
  return TopLimbs<N>(MultiplyFull(a, b));
}

// a divided by a nonzero limb, truncated.
template <std::size_t N>
constexpr Unsigned<N> DivideByLimb(const Unsigned<N>& a, Limb divisor) noexcept {
  Unsigned<N> quotient;
  Limb remainder = 0;
  for (std::size_t i = N; i-- > 0;) {
    DoubleLimb part = (DoubleLimb{remainder} << 64) | a.limbs[i];
    quotient.limbs[i] = static_cast<Limb>(part / divisor);
    remainder = static_cast<Limb>(part % divisor);
  }
  return quotient;
}

// Shifts that drop the bits moved out; any count is allowed.
template <std::size_t N>
constexpr Unsigned<N> ShiftRight(const Unsigned<N>& a, int bits) noexcept {
  Unsigned<N> result;
  if (bits >= static_cast<int>(64 * N)) return result;
  std::size_t limbShift = static_cast<std::size_t>(bits) / 64;
  int bitShift = bits % 64;
  for (std::size_t i = 0; i + limbShift < N; ++i) {
    Limb low = a.limbs[i + limbShift] >> bitShift;
    Limb high = (bitShift != 0 && i + limbShift + 1 < N)
                    ? a.limbs[i + limbShift + 1] << (64 - bitShift)
                    : 0;
    result.limbs[i] = low | high;
  }
  return result;
}

template <std::size_t N>
constexpr Unsigned<N> ShiftLeft(const Unsigned<N>& a, int bits) noexcept {
  Unsigned<N> result;
  if (bits >= static_cast<int>(64 * N)) return result;
  std::size_t limbShift = static_cast<std::size_t>(bits) / 64;
  int bitShift = bits % 64;
  for (std::size_t i = N; i-- > limbShift;) {
    Limb high = a.limbs[i - limbShift] << bitShift;
    Limb low = (bitShift != 0 && i - limbShift >= 1)
                   ? a.limbs[i - limbShift - 1] >> (64 - bitShift)
                   : 0;
    result.limbs[i] = high | low;
  }
  return result;
}

// Index of the highest set bit (0 = the lowest bit of limbs[0]); −1 for 0.
template <std::size_t N>
constexpr int HighestBit(const Unsigned<N>& a) noexcept {
  for (std::size_t i = N; i-- > 0;)
    if (a.limbs[i] != 0)
      return static_cast<int>(64 * i) + 63 - std::countl_zero(a.limbs[i]);
  return -1;
}

// Whether any bit below index `bits` is set.
template <std::size_t N>
constexpr bool AnyBitBelow(const Unsigned<N>& a, int bits) noexcept {
  for (std::size_t i = 0; i < N && bits > 0; ++i, bits -= 64) {
    Limb mask = bits >= 64 ? ~Limb{0} : (Limb{1} << bits) - 1;
    if ((a.limbs[i] & mask) != 0) return true;
  }
  return false;
}

template <std::size_t N>
constexpr bool BitAt(const Unsigned<N>& a, int index) noexcept {
  if (index < 0 || index >= static_cast<int>(64 * N)) return false;
  return (a.limbs[static_cast<std::size_t>(index) / 64] >> (index % 64)) & 1;
}

// The extended format's limits, as powers of two of the lowest significand
// bit: subnormals share the weight of the smallest normal's last bit.
inline constexpr int kExtendedBias = 16383;
inline constexpr int kExtendedLowestBitWeight = 1 - kExtendedBias - 63;  // 2^-16445
inline constexpr std::uint16_t kExtendedInfiniteField = 0x7FFF;
inline constexpr std::uint16_t kExtendedSignBit = 0x8000;

// An extended value as its two fields. The rounding works on these: where
// Extended is the hardware type, each copy of one would pass through it.
struct Bits {
  std::uint16_t signExponent = 0;
  std::uint64_t significand = 0;

  constexpr Bits() noexcept = default;
  constexpr Bits(std::uint16_t se, std::uint64_t sig) noexcept
      : signExponent(se), significand(sig) {}
  explicit constexpr Bits(Extended x) noexcept
      : signExponent(x.SignExponent()), significand(x.Significand()) {}
  constexpr Extended ToExtended() const noexcept {
    return Extended::FromBits(signExponent, significand);
  }
  friend constexpr bool operator==(const Bits&, const Bits&) = default;
};

constexpr Bits InfinityBits(bool negative) noexcept {
  return Bits(
      static_cast<std::uint16_t>(kExtendedInfiniteField |
                                 (negative ? kExtendedSignBit : 0)),
      Limb{1} << 63);
}

constexpr Bits ZeroBits(bool negative) noexcept {
  return Bits(negative ? kExtendedSignBit : 0, 0);
}

// The extended value nearest (ties to even) to ±magnitude·2^exponent, with
// gradual underflow and overflow to infinity. Exact: no error bound.
template <std::size_t N>
constexpr Bits RoundExactBits(bool negative, const Unsigned<N>& magnitude,
                              int exponent) noexcept {
  int top = HighestBit(magnitude);
  if (top < 0) return ZeroBits(negative);
  int valueExponent = top + exponent;  // value in [2^v, 2^(v+1))
  if (valueExponent > kExtendedBias) return InfinityBits(negative);
  int lowestBitWeight = valueExponent - 63;
  if (lowestBitWeight < kExtendedLowestBitWeight)
    lowestBitWeight = kExtendedLowestBitWeight;
  int shift = lowestBitWeight - exponent;  // bits of magnitude dropped

  Limb significand;
  if (shift <= 0) {
    // Every bit is kept (top − shift ≤ 63 here, so the shift is in range).
    significand = magnitude.limbs[0] << -shift;
  } else {
    if (shift > top + 1) {
      // Below half the smallest subnormal: rounds to zero.
      return ZeroBits(negative);
    }
    significand = ShiftRight(magnitude, shift).limbs[0];
    bool half = BitAt(magnitude, shift - 1);
    bool sticky = AnyBitBelow(magnitude, shift - 1);
    if (half && (sticky || (significand & 1) != 0)) {
      ++significand;
      if (significand == 0) {  // carried out of 64 bits
        significand = Limb{1} << 63;
        ++lowestBitWeight;
      }
    }
  }
  if (significand == 0) return ZeroBits(negative);
  std::uint16_t sign = negative ? kExtendedSignBit : 0;
  if ((significand >> 63) == 0)  // subnormal
    return Bits(sign, significand);
  int field = lowestBitWeight + 63 + kExtendedBias;
  if (field >= kExtendedInfiniteField) return InfinityBits(negative);
  return Bits(static_cast<std::uint16_t>(sign | field),
                            significand);
}

// The common case of RoundWithin, decided from the 128 bits below the top
// one: a normal result whose dropped bits lie farther than the error from
// the halfway point, with the error far below the last place (so that
// crossing into the finer spacing below a power of two cannot reach a
// halfway point either). Nothing when the case is not this one.
template <std::size_t N>
constexpr std::optional<std::optional<Bits>> RoundWithinQuickly(
    bool negative, const Unsigned<N>& magnitude, int exponent,
    Limb errorUnits) noexcept {
  if constexpr (N < 2) {
    return std::nullopt;
  } else {
    std::size_t i = N - 1;
    while (i > 1 && magnitude.limbs[i] == 0) --i;
    if (magnitude.limbs[i] == 0) return std::nullopt;
    const int zeros = std::countl_zero(magnitude.limbs[i]);
    // The significand and the 64 bits below it; `restShift` is how far the
    // lowest of those lies above the magnitude's unit.
    Limb significand = magnitude.limbs[i] << zeros;
    Limb rest = magnitude.limbs[i - 1] << zeros;
    if (zeros != 0) {
      significand |= magnitude.limbs[i - 1] >> (64 - zeros);
      if (i >= 2) rest |= magnitude.limbs[i - 2] >> (64 - zeros);
    }
    const int restShift = static_cast<int>(64 * (i - 1)) - zeros;
    // The error in units of rest's last bit; bits below rest add one.
    Limb error;
    if (restShift >= 64) {
      error = 1;
    } else if (restShift > 0) {
      error = (errorUnits >> restShift) + 1;
    } else {
      if (restShift <= -61 || errorUnits >> (61 + restShift) != 0) return std::nullopt;
      error = errorUnits << -restShift;
    }
    constexpr Limb kHalf = Limb{1} << 63;
    if (error >= (Limb{1} << 61)) return std::nullopt;
    const int valueExponent = restShift + 127 + exponent;
    if (valueExponent < 1 - kExtendedBias || valueExponent > kExtendedBias)
      return std::nullopt;
    if (rest >= kHalf - error && rest <= kHalf + error)
      return std::optional<Bits>{};  // the interval holds the halfway point
    int field = valueExponent + kExtendedBias;
    if (rest > kHalf && ++significand == 0) {
      significand = Limb{1} << 63;
      if (++field >= kExtendedInfiniteField) return InfinityBits(negative);
    }
    const std::uint16_t sign = negative ? kExtendedSignBit : 0;
    return Bits(static_cast<std::uint16_t>(sign | field), significand);
  }
}

// RoundWithin for any case: both ends of the interval rounded.
template <std::size_t N>
constexpr std::optional<Bits> RoundBothEnds(bool negative,
                                                const Unsigned<N>& magnitude,
                                                int exponent,
                                                Limb errorUnits) noexcept {
  Unsigned<N> low = magnitude;
  Unsigned<N> error;
  error.limbs[0] = errorUnits;
  if (SubtractFrom(low, error) != 0 || IsZero(low))
    return std::nullopt;  // the sign or zero itself is undecided
  Unsigned<N> high = magnitude;
  if (AddSmall(high, errorUnits) != 0) return std::nullopt;
  Bits a = RoundExactBits(negative, low, exponent);
  Bits b = RoundExactBits(negative, high, exponent);
  if (!(a == b)) return std::nullopt;
  return a;
}

// The extended value nearest to ±v·2^exponent for every v within
// `errorUnits` of `magnitude` (the true value is known to lie in
// [magnitude − errorUnits, magnitude + errorUnits]), or nothing when that
// interval holds values that round differently: then a more precise
// evaluation must decide. Both ends rounding alike suffices, since rounding
// is monotonic. The top limb must leave room for the carry of the upper end.
template <std::size_t N>
constexpr std::optional<Bits> RoundWithinBits(bool negative,
                                              const Unsigned<N>& magnitude,
                                              int exponent,
                                              Limb errorUnits) noexcept {
  if (errorUnits == 0) return RoundExactBits(negative, magnitude, exponent);
  if (auto quick = RoundWithinQuickly(negative, magnitude, exponent, errorUnits))
    return *quick;
  return RoundBothEnds(negative, magnitude, exponent, errorUnits);
}

// The same as Extended values.
constexpr Extended SignedInfinity(bool negative) noexcept {
  return InfinityBits(negative).ToExtended();
}

constexpr Extended SignedZero(bool negative) noexcept {
  return ZeroBits(negative).ToExtended();
}

template <std::size_t N>
constexpr Extended RoundExact(bool negative, const Unsigned<N>& magnitude,
                              int exponent) noexcept {
  return RoundExactBits(negative, magnitude, exponent).ToExtended();
}

template <std::size_t N>
constexpr std::optional<Extended> RoundWithin(bool negative, const Unsigned<N>& magnitude,
                                              int exponent, Limb errorUnits) noexcept {
  if (auto bits = RoundWithinBits(negative, magnitude, exponent, errorUnits))
    return bits->ToExtended();
  return std::nullopt;
}

}  // namespace evaluator::wide
