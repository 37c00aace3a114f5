// Sine, cosine, tangent and the two-argument arc tangent, correctly rounded
// to the extended format. Each is evaluated first with two-word (128-bit)
// arithmetic and a proven error bound; only when that leaves the rounding
// undecided is it evaluated again with eight words (512 bits). If even that
// were undecided (no such argument is known; the hardest cases for 64-bit
// results lie some 2^-130 from a rounding boundary), the eight-word value
// is rounded as it stands.
//
// The method: reduce to r in [0, π/4] (trig_reduction.h), split r = c + t
// at the nearest table point c = j/2^k, and combine the tabulated sin c and
// cos c with the Taylor series of sin t and cos t; the arc tangent likewise
// splits at c = j/2^k with t = (z − c)/(1 + z·c). Near zero the table is
// skipped and the series carries the relative accuracy.

#include <bit>
#include <optional>
#include <utility>

#include "evaluator/primitives.h"
#include "evaluator/trig.h"
#include "evaluator/trig_fixed.h"
#include "evaluator/trig_reduction.h"
#include "evaluator/trig_tables.h"

namespace evaluator {
namespace {

using trig::Fixed;
using trig::Float;
using trig::u64;

// The error bound of every result, in units of the last bit of its
// N-word mantissa (at least 2^(64N − 1) units). Counted in fixed-point ulps
// of 2^(2 − 64N): a truncated product or coefficient costs 1, so a Horner
// series of K terms at most 2K (104 for the slow arc tangent), and the
// combination with the table about that plus 10. The split parts are at
// least 2^-(k+1) (sine, arc tangent) or 1/√2 (cosine), which turns at most
// 120 ulps into 2^(8.9 + k + 1 + 2) units: 2^19.9 at k = 8, 2^15.9 at k = 4.
// Without the table the errors are relative from the start: the reduction's
// 2^(4 − 64N), the series' 2K ulps, the reciprocal's 2^(5 − 64N), products'
// 2^(1 − 64N), together under 2^(10 − 64N), about 2^11 units. Tangent and
// quotients add the two operands' errors and the reciprocal's: 2^(40 − 64N)
// relatively (trig_fixed.h), at most 2^25.3 units with two words and 2^12.6
// with one (where it is the double's). The rough level (one word, no
// quotient beyond the double's) stays below 2^20.1 units, the others below
// 2^25.5.
constexpr u64 kRoughErrorUnits = u64{1} << 22;
constexpr u64 kErrorUnits = u64{1} << 27;

// The fast level: tables at j/256 in two words, so |t| ≤ 2^-9 and u = t² ≤
// 2^-18; the first omitted series terms are u^6/13! < 2^-140, u^6/12! <
// 2^-136 and u^8/17 < 2^-148, all below the ulp 2^-126.
struct FastLevel {
  static constexpr std::size_t kWords = 2;
  static constexpr int kTableShift = 8;
  static constexpr int kSinTerms = 6;
  static constexpr int kCosTerms = 6;
  static constexpr int kAtanTerms = 8;
  static const u64* SinAt(u64 j) noexcept { return trig::kSinFine[j]; }
  static const u64* CosAt(u64 j) noexcept { return trig::kCosFine[j]; }
  static const u64* AtanAt(u64 j) noexcept { return trig::kAtanFine[j]; }
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
  static const u64* SinAt(u64 j) noexcept { return trig::kSinFine[j]; }
  static const u64* CosAt(u64 j) noexcept { return trig::kCosFine[j]; }
  static const u64* AtanAt(u64 j) noexcept { return trig::kAtanFine[j]; }
};

// The slow level: tables at j/16 in eight words, |t| ≤ 2^-5, u ≤ 2^-10; the
// omitted terms u^28/57!, u^28/56!, u^52/105 are below 2^-526, the ulp is
// 2^-510.
struct SlowLevel {
  static constexpr std::size_t kWords = trig::kWideWords;
  static constexpr int kTableShift = 4;
  static constexpr int kSinTerms = 28;
  static constexpr int kCosTerms = 28;
  static constexpr int kAtanTerms = 52;
  static const u64* SinAt(u64 j) noexcept { return trig::kSinCoarse[j]; }
  static const u64* CosAt(u64 j) noexcept { return trig::kCosCoarse[j]; }
  static const u64* AtanAt(u64 j) noexcept { return trig::kAtanCoarse[j]; }
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

using Coefficients = const u64 (*)[trig::kWideWords];

template <std::size_t W>
Fixed<W> HornerSteps(Coefficients coefficients, const Fixed<W>& u,
                     Fixed<W> sum, int from, int to) noexcept {
  for (int k = from; k >= to; --k)
    sum = wide::Difference(trig::LoadFixed<W>(coefficients[k]),
                           trig::Mul(u, sum));
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
        trig::LoadFixed<1>(coefficients[Terms - 1]), Terms - 2, narrow);
    Fixed<N> sum;
    sum.limbs[N - 1] = top.limbs[0];
    return HornerSteps<N>(coefficients, u, sum, narrow - 1, 0);
  } else {
    return HornerSteps<N>(coefficients, u,
                          trig::LoadFixed<N>(coefficients[Terms - 1]),
                          Terms - 2, 0);
  }
}

template <class Level>
std::pair<FixedOf<Level>, FixedOf<Level>> SineCosineSeries(
    const FixedOf<Level>& u) noexcept {
  return {AlternatingSeries<Level, Level::kSinTerms>(trig::kSinCoefficients, u),
          AlternatingSeries<Level, Level::kCosTerms>(trig::kCosCoefficients, u)};
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
  point.j = (trig::TopLimb(v) + (u64{1} << (position - 1))) >> position;
  point.c.limbs[Level::kWords - 1] = point.j << position;
  return point;
}

template <class Level>
bool BelowTableStep(const FloatOf<Level>& v) noexcept {
  return wide::IsZero(v.m) ||
         v.e + trig::kBits<Level::kWords> - 1 < -(Level::kTableShift + 1);
}

template <class Level>
struct SinCos {
  FloatOf<Level> sin;
  FloatOf<Level> cos;
};

// sin r and cos r for 0 ≤ r ≤ π/4 (slightly above, by the reduction's error).
template <class Level>
SinCos<Level> SinCosReduced(const FloatOf<Level>& r) noexcept {
  using trig::Mul;
  using trig::ToFixed;
  using trig::ToFloat;
  constexpr std::size_t N = Level::kWords;
  if (BelowTableStep<Level>(r)) {
    const auto [sinSeries, cosSeries] = SineCosineSeries<Level>(ToFixed(Mul(r, r)));
    return {Mul(r, sinSeries), ToFloat(cosSeries)};
  }
  const Fixed<N> rf = ToFixed(r);
  const auto point = NearestTablePoint<Level>(rf);
  bool tNegative = false;
  const Fixed<N> t = trig::AbsoluteDifference(rf, point.c, tNegative);
  const auto [sinSeries, cosT] = SineCosineSeries<Level>(Mul(t, t));
  const Fixed<N> sinT = Mul(t, sinSeries);
  const Fixed<N> sinC = trig::LoadFixed<N>(Level::SinAt(point.j));
  const Fixed<N> cosC = trig::LoadFixed<N>(Level::CosAt(point.j));
  // sin(c ± |t|) = sin c·cos t ± cos c·sin|t|, cos(c ± |t|) = cos c·cos t ∓
  // sin c·sin|t|; neither goes negative for c ≤ π/4 and |t| ≤ c.
  const Fixed<N> a = Mul(sinC, cosT);
  const Fixed<N> b = Mul(cosC, sinT);
  const Fixed<N> c = Mul(cosC, cosT);
  const Fixed<N> d = Mul(sinC, sinT);
  return {ToFloat(tNegative ? wide::Difference(a, b) : wide::Sum(a, b)),
          ToFloat(tNegative ? wide::Sum(c, d) : wide::Difference(c, d))};
}

// A finite nonzero extended value: significand (top bit set) ·
// 2^(exponent − 63).
struct Decoded {
  bool negative;
  u64 significand;
  int exponent;
};

constexpr std::uint16_t kExponentMask = wide::kExtendedInfiniteField;
constexpr int kBias = wide::kExtendedBias;
constexpr Extended kNaN = Extended::FromBits(0x7FFF, 0xC000000000000000u);
constexpr Extended kOne = Extended::FromBits(kBias, u64{1} << 63);

bool IsZero(Extended x) noexcept {
  return (x.SignExponent() & kExponentMask) == 0 && x.Significand() == 0;
}

bool IsSpecial(Extended x) noexcept {
  return (x.SignExponent() & kExponentMask) == kExponentMask;
}

bool IsNegative(Extended x) noexcept {
  return (x.SignExponent() & wide::kExtendedSignBit) != 0;
}

// An encoding with a nonzero exponent field and a clear integer bit has no
// value (the hardware calls it invalid); it counts as NaN here.
bool IsUnnormal(Extended x) noexcept {
  const int field = x.SignExponent() & kExponentMask;
  return field != 0 && field != kExponentMask && (x.Significand() >> 63) == 0;
}

// x finite and nonzero.
Decoded Decode(Extended x) noexcept {
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
  v.e = d.exponent - 63 - trig::kBits<Level::kWords> + 64;
  return v;
}

// π/4 truncated to 64 bits: |x| below π/4 exactly when its exponent is
// below −1, or −1 with a significand up to this.
constexpr u64 kQuarterPiSignificand = 0xC90FDAA22168C234u;

template <class Level>
struct SignedValue {
  FloatOf<Level> magnitude;
  bool negative;
};

template <class Level>
SignedValue<Level> CircularValue(CircularFunction kind,
                                 const Decoded& x) noexcept {
  trig::Reduced<Level::kWords> reduced;
  if (x.exponent < -1 ||
      (x.exponent == -1 && x.significand <= kQuarterPiSignificand)) {
    reduced.r = AsFloat<Level>(x);
  } else {
    reduced = trig::ReduceByHalfPi<Level::kWords>(x.significand, x.exponent);
  }
  const SinCos<Level> sc = SinCosReduced<Level>(reduced.r);
  const bool rNegative = reduced.negative;
  const unsigned quadrant = reduced.quadrant & 3;
  const bool even = (quadrant & 1) == 0;
  // With x = r + q·π/2: sin x = sin r, cos r, −sin r, −cos r and cos x =
  // cos r, −sin r, −cos r, sin r for q = 0 to 3; sin r has r's sign.
  switch (kind) {
    case CircularFunction::kSine:
      return {even ? sc.sin : sc.cos,
              ((even ? rNegative : false) != (quadrant >= 2)) != x.negative};
    case CircularFunction::kCosine:
      return {even ? sc.cos : sc.sin,
              (even ? false : !rNegative) != (quadrant >= 2)};
    default:
      // tan x = tan r for even q, −cot r for odd q.
      return {even ? trig::Mul(sc.sin, trig::Reciprocal(sc.cos))
                   : trig::Mul(sc.cos, trig::Reciprocal(sc.sin)),
              (even ? rNegative : !rNegative) != x.negative};
  }
}

template <class Level>
std::optional<Extended> EvaluateCircular(CircularFunction kind,
                                         const Decoded& x,
                                         bool force) noexcept {
  const SignedValue<Level> v = CircularValue<Level>(kind, x);
  return trig::RoundToExtended(v.negative, v.magnitude, kErrorUnits, force);
}

// Finite, nonzero and below 2^63: what the reduction takes.
std::optional<Decoded> CircularArgument(Extended x) noexcept {
  if (IsSpecial(x) || IsUnnormal(x) || IsZero(x)) return std::nullopt;
  const Decoded d = Decode(x);
  if (d.exponent >= 63) return std::nullopt;
  return d;
}

Extended Circular(CircularFunction kind, Extended x) noexcept {
  const auto d = CircularArgument(x);
  if (!d) {
    if (IsZero(x)) return kind == CircularFunction::kCosine ? kOne : x;
    return kNaN;  // NaN, infinite, or beyond the reduction's range
  }
  if (auto fast = EvaluateCircular<FastLevel>(kind, *d, false)) return *fast;
  if (auto slow = EvaluateCircular<SlowLevel>(kind, *d, false)) return *slow;
  return *EvaluateCircular<SlowLevel>(kind, *d, true);
}

// The angle of a point whose coordinates have been classified: z is the
// smaller magnitude over the larger (0 and 1 given exactly), swapped when
// |y| > |x|.
struct Ratio {
  enum class Kind { kZero, kOne, kQuotient } kind;
  bool swapped;
  Decoded numerator;
  Decoded denominator;
};

// atan(a/b) for the ratio's magnitudes a ≤ b (or its exact 0 and 1).
template <class Level>
FloatOf<Level> ArcTangentOfRatio(const Ratio& ratio) noexcept {
  using trig::Mul;
  using trig::ToFixed;
  using trig::ToFloat;
  constexpr std::size_t N = Level::kWords;
  constexpr int kShift = Level::kTableShift;
  constexpr int kAtan = Level::kAtanTerms;
  static_assert(N > 1);  // the operands below need a word to spare
  if (ratio.kind == Ratio::Kind::kZero) return {};
  if (ratio.kind == Ratio::Kind::kOne)
    return ToFloat(trig::LoadFixed<N>(Level::AtanAt(u64{1} << kShift)));
  const Decoded& a = ratio.numerator;
  const Decoded& b = ratio.denominator;
  const int shift = a.exponent - b.exponent;  // at most 0
  // The table point nearest z = a/b, from a double estimate: the point
  // need not be the nearest exactly, as the series bounds have room for
  // |t| a hair above 2^-(k+1).
  u64 j = 0;
  if (shift > -(kShift + 2)) {
    const double scale = std::bit_cast<double>(static_cast<u64>(1023 + shift) << 52);
    const double estimate = static_cast<double>(a.significand >> 11) /
                            static_cast<double>(b.significand >> 11) * scale;
    j = static_cast<u64>(estimate * (u64{1} << kShift) + 0.5);
  }
  if (j == 0) {
    const FloatOf<Level> z =
        Mul(AsFloat<Level>(a), trig::Reciprocal(AsFloat<Level>(b)));
    const Fixed<N> u = ToFixed(Mul(z, z));
    return Mul(z, AlternatingSeries<Level, kAtan>(trig::kAtanCoefficients, u));
  }
  // atan z = atan c + atan t with t = (z − c)/(1 + z·c) = (a − c·b)/(b +
  // c·a), whose numerator and denominator are exact in fixed point (a and
  // b scaled by b's exponent take 64 + k + 2 bits, c·a and c·b k more).
  Fixed<N> bf, af;
  bf.limbs[N - 1] = b.significand;
  af.limbs[N - 1] = a.significand;
  bf = wide::ShiftRight(bf, 1);  // b·2^-Eb in [1, 2)
  af = wide::ShiftRight(af, 1 - shift);
  Fixed<N> c;
  c.limbs[N - 1] = j << (62 - kShift);
  bool tNegative = false;
  const Fixed<N> numerator = trig::AbsoluteDifference(af, Mul(c, bf), tNegative);
  const Fixed<N> denominator = wide::Sum(bf, Mul(c, af));
  const Float<N> t =
      Mul(ToFloat(numerator), trig::Reciprocal(ToFloat(denominator)));
  const Fixed<N> u = ToFixed(Mul(t, t));
  const Fixed<N> atanT = ToFixed(
      Mul(t, AlternatingSeries<Level, kAtan>(trig::kAtanCoefficients, u)));
  const Fixed<N> atanC = trig::LoadFixed<N>(Level::AtanAt(j));
  return ToFloat(tNegative ? wide::Difference(atanC, atanT)
                           : wide::Sum(atanC, atanT));
}

template <class Level>
std::optional<Extended> EvaluateAngle(bool yNegative, bool xNegative,
                                      const Ratio& ratio, bool force) noexcept {
  constexpr std::size_t N = Level::kWords;
  FloatOf<Level> angle = ArcTangentOfRatio<Level>(ratio);
  if (ratio.swapped || xNegative) {
    // π/2 − a, π − a or π/2 + a: at least π/4, so fixed point keeps the
    // relative accuracy.
    const Fixed<N> a = trig::ToFixed(angle);
    const Fixed<N> base =
        trig::LoadFixed<N>(ratio.swapped ? trig::kHalfPi[0] : trig::kPi[0]);
    angle = trig::ToFloat(ratio.swapped && xNegative ? wide::Sum(base, a)
                                                     : wide::Difference(base, a));
  }
  return trig::RoundToExtended(yNegative, angle, kErrorUnits, force);
}

Extended Angle(bool yNegative, bool xNegative, const Ratio& ratio) noexcept {
  if (auto fast = EvaluateAngle<FastLevel>(yNegative, xNegative, ratio, false))
    return *fast;
  if (auto slow = EvaluateAngle<SlowLevel>(yNegative, xNegative, ratio, false))
    return *slow;
  return *EvaluateAngle<SlowLevel>(yNegative, xNegative, ratio, true);
}

// |a| < |b| for finite nonzero values.
bool MagnitudeBelow(const Decoded& a, const Decoded& b) noexcept {
  return a.exponent != b.exponent ? a.exponent < b.exponent
                                  : a.significand < b.significand;
}

}  // namespace

Extended Sine(Extended x) noexcept {
  return Circular(CircularFunction::kSine, x);
}
Extended Cosine(Extended x) noexcept {
  return Circular(CircularFunction::kCosine, x);
}
Extended Tangent(Extended x) noexcept {
  return Circular(CircularFunction::kTangent, x);
}

std::optional<double> CircularEstimate(CircularFunction kind,
                                      Extended x) noexcept {
  const auto d = CircularArgument(x);
  if (!d) return std::nullopt;
  const SignedValue<RoughLevel> v = CircularValue<RoughLevel>(kind, *d);
  // m·2^e with m below 2^64 and within kRoughErrorUnits (2^-41 of m) of the
  // exact magnitude; the conversion to a double adds at most 2^-53.
  const int e = v.magnitude.e;
  if (e < -1022 || e > 1023) return std::nullopt;
  const double scale = std::bit_cast<double>(static_cast<u64>(e + 1023) << 52);
  const double magnitude =
      static_cast<double>(trig::TopLimb(v.magnitude.m)) * scale;
  return v.negative ? -magnitude : magnitude;
}

Extended ArcTangent2(Extended y, Extended x) noexcept {
  if (IsNaN(y) || IsNaN(x) || IsUnnormal(y) || IsUnnormal(x)) return kNaN;
  const bool yNegative = IsNegative(y);
  const bool xNegative = IsNegative(x);
  using Kind = Ratio::Kind;
  // Zeros and infinities as IEEE atan2: the angle of the limit point.
  if (IsZero(y)) {
    if (!xNegative) return y;
    return Angle(yNegative, true, {Kind::kZero, false, {}, {}});
  }
  if (IsZero(x)) return Angle(yNegative, false, {Kind::kZero, true, {}, {}});
  if (IsInfinite(y))
    return Angle(yNegative, xNegative,
                 {IsInfinite(x) ? Kind::kOne : Kind::kZero, !IsInfinite(x), {},
                  {}});
  if (IsInfinite(x)) {
    if (!xNegative) return wide::SignedZero(yNegative);
    return Angle(yNegative, true, {Kind::kZero, false, {}, {}});
  }
  Decoded a = Decode(y);
  Decoded b = Decode(x);
  const bool swapped = MagnitudeBelow(b, a);
  if (swapped) std::swap(a, b);
  const bool equal = !swapped && !MagnitudeBelow(a, b);
  return Angle(yNegative, xNegative,
               {equal ? Kind::kOne : Kind::kQuotient, swapped, a, b});
}

}  // namespace evaluator
