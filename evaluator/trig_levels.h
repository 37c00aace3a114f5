#pragma once

// What the trigonometric primitives share: their error bounds, the three
// precision levels, the alternating series, the table points, and the
// decoding of extended arguments.

#include <cstddef>
#include <cstdint>
#include <utility>

#include "evaluator/extended.h"
#include "evaluator/trig_fixed.h"
#include "evaluator/trig_tables.h"

namespace evaluator::trig {

// The error bound of every result, in units of the last bit of its
// N-word mantissa (at least 2^(64N − 1) units). Counted in fixed-point ulps
// of 2^(2 − 64N): a truncated product or coefficient costs 1, so a Horner
// series of K terms at most 2K (104 for the slow arc tangent), and the
// combination with the table about that plus 10. The split parts are at
// least 2^-(k+1) (sine, arc tangent) or 1/√2 (cosine), which turns at most
// 120 ulps into 2^(8.9 + k + 1 + 2) units: 2^19.9 at k = 8, 2^15.9 at k = 4.
// Without the table the errors are relative from the start: the reduction's
// 2^(4 − 64N), the series' 2K ulps, products' 2^(1 − 64N), together under
// 2^(10 − 64N), about 2^11 units. Tangent and
// quotients add the two operands' errors and the reciprocal's: 2^(40 − 64N)
// relatively (trig_fixed.h), at most 2^25.3 units with two words and 2^12.6
// with one (where it is the double's). The others stay below 2^25.5 units.
// The rough level (one word, series of four terms) counts at most 2K + 12 =
// 20 ulps against parts of at least 2^-9.01, 2^15.3 units, plus the
// double's quotient for the tangent: below 2^16.5 units.
inline constexpr u64 kRoughErrorUnits = u64{1} << 19;
inline constexpr u64 kErrorUnits = u64{1} << 27;

// The fast level: tables at j/256 in two words, so |t| ≤ 2^-9 and u = t² ≤
// 2^-18; the first omitted series terms are u^6/13! < 2^-140, u^6/12! <
// 2^-136 and u^8/17 < 2^-148, all below the ulp 2^-126.
struct FastLevel {
  static constexpr std::size_t kWords = 2;
  static constexpr int kTableShift = 8;
  static constexpr int kSinTerms = 6;
  static constexpr int kCosTerms = 6;
  static constexpr int kAtanTerms = 8;
  static const u64* SinAt(u64 j) noexcept { return kSinFine[j]; }
  static const u64* CosAt(u64 j) noexcept { return kCosFine[j]; }
  static const u64* AtanAt(u64 j) noexcept { return kAtanFine[j]; }
};

// The rough level, for callers that need only an estimate: one word, |t| ≤
// 2^-9; the first omitted terms u^4/9!, u^4/8!, u^4/9 are below 2^-75, the
// ulp is 2^-62.
struct RoughLevel {
  static constexpr std::size_t kWords = 1;
  static constexpr int kTableShift = 8;
  static constexpr int kSinTerms = 4;
  static constexpr int kCosTerms = 4;
  static constexpr int kAtanTerms = 4;
  static const u64* SinAt(u64 j) noexcept { return kSinFine[j]; }
  static const u64* CosAt(u64 j) noexcept { return kCosFine[j]; }
  static const u64* AtanAt(u64 j) noexcept { return kAtanFine[j]; }
};

// The slow level: tables at j/16 in eight words, |t| ≤ 2^-5, u ≤ 2^-10; the
// omitted terms u^28/57!, u^28/56!, u^52/105 are below 2^-526, the ulp is
// 2^-510.
struct SlowLevel {
  static constexpr std::size_t kWords = kWideWords;
  static constexpr int kTableShift = 4;
  static constexpr int kSinTerms = 28;
  static constexpr int kCosTerms = 28;
  static constexpr int kAtanTerms = 52;
  static const u64* SinAt(u64 j) noexcept { return kSinCoarse[j]; }
  static const u64* CosAt(u64 j) noexcept { return kCosCoarse[j]; }
  static const u64* AtanAt(u64 j) noexcept { return kAtanCoarse[j]; }
};

template <class Level>
using FixedOf = Fixed<Level::kWords>;
template <class Level>
using FloatOf = Float<Level::kWords>;

// Σ (−u)^k · coefficient_k by Horner's rule. Each inner partial sum is
// below the coefficient it is subtracted from (the terms decrease), so the
// unsigned arithmetic never wraps.
//
// The partial sum from term k on reaches the total multiplied by u^k ≤
// 2^(−2(k_table + 1)k), so from kNarrowFrom on one word (ulp 2^-62) already
// keeps it within an ulp of the total: those steps run on the top words.
template <class Level>
constexpr int kNarrowFrom =
    (64 * static_cast<int>(Level::kWords) - 64 + 2 * (Level::kTableShift + 1) - 1) /
    (2 * (Level::kTableShift + 1));

using Coefficients = const u64 (*)[kWideWords];

template <std::size_t W>
Fixed<W> HornerSteps(Coefficients coefficients, const Fixed<W>& u,
                     Fixed<W> sum, int from, int to) noexcept {
  for (int k = from; k >= to; --k)
    sum = wide::Difference(LoadFixed<W>(coefficients[k]),
                           Mul(u, sum));
  return sum;
}

template <class Level, int Terms>
FixedOf<Level> AlternatingSeries(Coefficients coefficients,
                                 const FixedOf<Level>& u) noexcept {
  constexpr std::size_t N = Level::kWords;
  constexpr int narrow = kNarrowFrom<Level>;
  if constexpr (N > 1 && narrow < Terms - 1) {
    const Fixed<1> top = HornerSteps<1>(
        coefficients, wide::TopLimbs<1>(u),
        LoadFixed<1>(coefficients[Terms - 1]), Terms - 2, narrow);
    Fixed<N> sum;
    sum.limbs[N - 1] = top.limbs[0];
    return HornerSteps<N>(coefficients, u, sum, narrow - 1, 0);
  } else {
    return HornerSteps<N>(coefficients, u,
                          LoadFixed<N>(coefficients[Terms - 1]),
                          Terms - 2, 0);
  }
}

template <class Level>
std::pair<FixedOf<Level>, FixedOf<Level>> SineCosineSeries(
    const FixedOf<Level>& u) noexcept {
  return {AlternatingSeries<Level, Level::kSinTerms>(kSinCoefficients, u),
          AlternatingSeries<Level, Level::kCosTerms>(kCosCoefficients, u)};
}

// Where the table point nearest a fixed-point value v lies: j = round(v·2^k)
// and c = j/2^k (the 2^-k bit sits in the top word).
template <class Level>
struct TablePoint {
  u64 j;
  FixedOf<Level> c;
};

template <class Level>
TablePoint<Level> NearestTablePoint(const FixedOf<Level>& v) noexcept {
  constexpr int position = 62 - Level::kTableShift;
  TablePoint<Level> point{};
  point.j = (TopLimb(v) + (u64{1} << (position - 1))) >> position;
  point.c.limbs[Level::kWords - 1] = point.j << position;
  return point;
}

template <class Level>
bool BelowTableStep(const FloatOf<Level>& v) noexcept {
  return wide::IsZero(v.m) ||
         v.e + kBits<Level::kWords> - 1 < -(Level::kTableShift + 1);
}

// A finite nonzero extended value: significand (top bit set) ·
// 2^(exponent − 63).
struct Decoded {
  bool negative;
  u64 significand;
  int exponent;
};

inline constexpr std::uint16_t kExponentMask = wide::kExtendedInfiniteField;
inline constexpr int kBias = wide::kExtendedBias;
inline constexpr Extended kNaN = Extended::FromBits(0x7FFF, 0xC000000000000000u);
inline constexpr Extended kOne = Extended::FromBits(kBias, u64{1} << 63);

inline bool IsZero(Extended x) noexcept {
  return (x.SignExponent() & kExponentMask) == 0 && x.Significand() == 0;
}

inline bool IsSpecial(Extended x) noexcept {
  return (x.SignExponent() & kExponentMask) == kExponentMask;
}

inline bool IsNegative(Extended x) noexcept {
  return (x.SignExponent() & wide::kExtendedSignBit) != 0;
}

// An encoding with a nonzero exponent field and a clear integer bit has no
// value (the hardware calls it invalid); it counts as NaN here.
inline bool IsUnnormal(Extended x) noexcept {
  const int field = x.SignExponent() & kExponentMask;
  return field != 0 && field != kExponentMask && (x.Significand() >> 63) == 0;
}

// x finite and nonzero.
inline Decoded Decode(Extended x) noexcept {
  const int field = x.SignExponent() & kExponentMask;
  u64 significand = x.Significand();
  int exponent = field - kBias;
  if (field == 0) {  // subnormal
    const int shift = std::countl_zero(significand);
    significand <<= shift;
    exponent = 1 - kBias - shift;
  }
  return {IsNegative(x), significand, exponent};
}

template <class Level>
FloatOf<Level> AsFloat(const Decoded& d) noexcept {
  FloatOf<Level> v;
  v.m.limbs[Level::kWords - 1] = d.significand;
  v.e = d.exponent - 63 - kBits<Level::kWords> + 64;
  return v;
}


}  // namespace evaluator::trig
