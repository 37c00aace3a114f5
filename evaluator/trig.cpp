// Sine, cosine and tangent, correctly rounded to the extended format, and
// the cheap estimate of the 10-decimal step. Each (like the arc tangent in
// trig_arctangent.cpp) is evaluated first with two-word (128-bit)
// arithmetic and a proven error bound; only when that leaves the rounding
// undecided is it evaluated again with eight words (512 bits). If even that
// were undecided, the eight-word value is rounded as it stands; none is
// expected: by the usual probabilistic count the closest cases over all
// extended arguments lie near 2^-140 of a rounding boundary (relatively),
// and the eight-word bound is near 2^-480.
//
// The method: reduce to r in [0, π/4] (trig_reduction.h), split r = c + t
// at the nearest table point c = j/2^k, and combine the tabulated sin c and
// cos c with the Taylor series of sin t and cos t. Near zero the table is
// skipped and the series carries the relative accuracy.

#include <optional>

#include "evaluator/primitives.h"
#include "evaluator/trig.h"
#include "evaluator/trig_levels.h"
#include "evaluator/trig_reduction.h"

namespace evaluator {
namespace {

using namespace trig;

template <class Level>
struct SinCos {
  FloatOf<Level> sin;
  FloatOf<Level> cos;
};

// sin r and cos r for 0 ≤ r ≤ π/4 (slightly above, by the reduction's
// error); past the table's first step only the ones asked for.
template <class Level>
SinCos<Level> SinCosReduced(const FloatOf<Level>& r, bool needSin,
                            bool needCos) noexcept {
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
  SinCos<Level> result;
  if (needSin) {
    const Fixed<N> a = Mul(sinC, cosT);
    const Fixed<N> b = Mul(cosC, sinT);
    result.sin = ToFloat(tNegative ? wide::Difference(a, b) : wide::Sum(a, b));
  }
  if (needCos) {
    const Fixed<N> c = Mul(cosC, cosT);
    const Fixed<N> d = Mul(sinC, sinT);
    result.cos = ToFloat(tNegative ? wide::Sum(c, d) : wide::Difference(c, d));
  }
  return result;
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
  const bool rNegative = reduced.negative;
  const unsigned quadrant = reduced.quadrant & 3;
  const bool even = (quadrant & 1) == 0;
  const bool tangent = kind == CircularFunction::kTangent;
  const bool sineOfR = even == (kind == CircularFunction::kSine);
  const SinCos<Level> sc =
      SinCosReduced<Level>(reduced.r, tangent || sineOfR, tangent || !sineOfR);
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
  // m·2^e with m below 2^64 and within kRoughErrorUnits (2^-44 of m) of the
  // exact magnitude; the conversion to a double adds at most 2^-53.
  static_assert(kRoughErrorUnits * 0x1p-63 + 0x1p-53 <= kCircularEstimateError);
  const int e = v.magnitude.e;
  if (e < -1022 || e > 1023) return std::nullopt;
  const double scale = std::bit_cast<double>(static_cast<u64>(e + 1023) << 52);
  const double magnitude =
      static_cast<double>(trig::TopLimb(v.magnitude.m)) * scale;
  return v.negative ? -magnitude : magnitude;
}

}  // namespace evaluator
