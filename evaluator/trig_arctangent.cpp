// The two-argument arc tangent, correctly rounded to the extended format,
// on the levels of trig_levels.h: atan(a/b) for a ≤ b from a table at j/2^k
// and the series of atan t, then the quadrant.

#include <bit>
#include <optional>
#include <utility>

#include "evaluator/primitives.h"
#include "evaluator/trig_levels.h"

namespace evaluator {
namespace {

using namespace trig;

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
