// Correctly rounded logarithms and exponentials of extended values.
//
// Each primitive handles its special and exact cases first (they must
// never be decided by an approximation: a tie or an exact result would be
// undecidable), then evaluates the result in 128-bit fixed point with a
// proven error bound and rounds it if the whole error interval rounds to
// one extended value. Otherwise it evaluates again at 512 bits. The bounds
// come from the kernels (log_exp_core.h) plus what each primitive adds,
// stated where it is added.

#include "evaluator/log_exp.h"

#include <bit>
#include <cstdlib>
#include <type_traits>

#include "evaluator/log_exp_core.h"
#include "evaluator/log_exp_fast.h"
#include "evaluator/primitives.h"
#include "evaluator/wide.h"

namespace evaluator::log_exp {
namespace {

using wide::Bits;
using wide::Limb;

constexpr std::size_t kFastLimbs = 2;
constexpr std::size_t kWideLimbs = kTableLimbs;

template <std::size_t N>
using Limbs = std::integral_constant<std::size_t, N>;

// log10(2) rounded to extended: 0x9A209A84FBCFF799 · 2^-65.
constexpr Limb kLog10Of2Significand = 0x9A209A84FBCFF799u;
constexpr int kLog10Of2Exponent = -65;

constexpr Bits kDefaultNaN{0xFFFF, 0xC000000000000000u};
constexpr Bits kOne{0x3FFF, 0x8000000000000000u};

enum class Kind { kZero, kFinite, kInfinite, kNaN, kUnsupported };

// value = significand · 2^(exponent − 63) with the top bit set, for kFinite.
struct Operand {
  Kind kind;
  bool negative;
  Limb significand;
  int exponent;
};

Operand Decode(Bits x) noexcept {
  const bool negative = (x.signExponent & wide::kExtendedSignBit) != 0;
  const int field = x.signExponent & wide::kExtendedInfiniteField;
  const Limb significand = x.significand;
  const bool integerBit = (significand >> 63) != 0;
  if (field == wide::kExtendedInfiniteField) {
    if (!integerBit) return {Kind::kUnsupported, negative, 0, 0};
    return {(significand << 1) == 0 ? Kind::kInfinite : Kind::kNaN, negative,
            significand, 0};
  }
  if (field == 0) {
    if (significand == 0) return {Kind::kZero, negative, 0, 0};
    const int shift = std::countl_zero(significand);
    return {Kind::kFinite, negative, significand << shift,
            1 - wide::kExtendedBias - shift};
  }
  // An unnormal (integer bit clear) is no value of the format.
  if (!integerBit) return {Kind::kUnsupported, negative, 0, 0};
  return {Kind::kFinite, negative, significand, field - wide::kExtendedBias};
}

// The operand's NaN, made quiet; an unsupported encoding is invalid.
Bits PropagateNaN(const Operand& x, Bits original) noexcept {
  if (x.kind != Kind::kNaN) return kDefaultNaN;
  return Bits(original.signExponent, original.significand | 0xC000000000000000u);
}

bool IsPowerOfTwo(const Operand& x) noexcept {
  return x.significand == Limb{1} << 63;
}

bool IsInteger(const Operand& x) noexcept {
  if (x.exponent >= 63) return true;
  if (x.exponent < 0) return false;
  return (x.significand << (x.exponent + 1)) == 0;
}

// The kernels by precision: the 128-bit ones are written for speed, the
// wide ones for any width.
template <std::size_t N>
inline constexpr Limb kExp2KernelError =
    N == kFastLimbs ? fast::kExp2Error : kExp2FractionError;

fast::U128 ToU128(const Fixed<2>& a) noexcept {
  return (fast::U128{a.limbs[1]} << 64) | a.limbs[0];
}

Fixed<2> FromU128(fast::U128 a) noexcept {
  return Fixed<2>{{fast::Low(a), fast::High(a)}};
}

using fast::LogBase;

// Error of LogKernel in units. The wide kernel's logarithm (error
// kLnFractionError) is multiplied by log2(e) = 1 + (log2(e) − 1) or by C·log2(e)
// from the tables: the error grows by the factor (< 2 or < 1), and the
// constant's truncation and the product's add one unit each.
template <std::size_t N, LogBase base>
inline constexpr Limb kLogKernelError =
    N == kFastLimbs                  ? fast::kLogOnePlusError
    : base == LogBase::kNatural      ? kLnFractionError
    : base == LogBase::kBinary       ? 2 * kLnFractionError + 2
                                     : kLnFractionError + 2;

// K·ln(1 + t) with K = 1, log2(e) or C·log2(e).
template <std::size_t N, LogBase base>
Fixed<N> LogKernel(const Fixed<N>& t) noexcept {
  if constexpr (N == kFastLimbs) {
    return FromU128(fast::LogOnePlus<base>(ToU128(t)));
  } else {
    const Fixed<N> ln = LnOnePlusFraction(t);
    if constexpr (base == LogBase::kNatural) {
      return ln;
    } else if constexpr (base == LogBase::kBinary) {
      return wide::Sum(ln, wide::MultiplyFraction(ln, FromTable<N>(kLog2eMinusOne)));
    } else {
      return wide::MultiplyFraction(ln, FromTable<N>(kLog10Of2TimesLog2e));
    }
  }
}

template <std::size_t N>
wide::Unsigned<N + 1> Exp2Kernel(const Fixed<N>& f) noexcept {
  if constexpr (N == kFastLimbs)
    return fast::Exp2(ToU128(f));
  else
    return Exp2Fraction(f);
}

// ±magnitude · 2^exponent, with |true value − that| ≤ errorUnits · 2^exponent.
template <std::size_t M>
struct Approximation {
  bool negative = false;
  wide::Unsigned<M> magnitude;
  int exponent = 0;
  Limb errorUnits = 0;
};

template <std::size_t M>
std::optional<Bits> Round(const Approximation<M>& a) noexcept {
  return wide::RoundWithinBits(a.negative, a.magnitude, a.exponent, a.errorUnits);
}

// Runs the fast evaluation, and the wide one where it cannot decide.
template <class Evaluate>
Bits Decide(Evaluate evaluate, Path path) noexcept {
  if (path == Path::kFastThenWide)
    if (auto result = Round(evaluate(Limbs<kFastLimbs>{}))) return *result;
  const auto wideApproximation = evaluate(Limbs<kWideLimbs>{});
  if (auto result = Round(wideApproximation)) return *result;
  // No argument is known to lie within 2^-440 of a rounding boundary; were
  // one to, the nearest to the approximation would be taken.
  return wide::RoundExactBits(wideApproximation.negative,
                          wideApproximation.magnitude,
                          wideApproximation.exponent);
}

// --- logarithms ------------------------------------------------------------

// A positive value 2^k·(1 + t), t a fraction known within tErrorUnits.
template <std::size_t N>
struct LogArgument {
  int k;
  Fixed<N> t;
  Limb tErrorUnits;
};

template <std::size_t N>
LogArgument<N> ArgumentOf(const Operand& x) noexcept {
  Fixed<N> t;
  t.limbs[N - 1] = x.significand << 1;  // the fraction bits of the significand
  return {x.exponent, t, 0};
}

// 1 + y for y > −1, |y| ≥ 2^-64. It is formed in N + 2 limbs with y's
// significand at limb N: for |y| < 2^(64N+64) the sum is exact, and a
// larger y leaves the 1 out. Either way t is truncated by less than two
// units at most.
template <std::size_t N>
LogArgument<N> OnePlus(const Operand& y) noexcept {
  using Sum = wide::Unsigned<N + 2>;
  Sum sum;
  sum.limbs[N] = y.significand;
  const int scale = y.exponent - 63 - static_cast<int>(64 * N);
  const int oneBit = -scale;  // where 1 lies; −1 ≤ y's exponent ≤ … keeps it below 64(N+2)
  bool exact = true;
  if (oneBit >= 0) {
    Sum one;
    one.limbs[static_cast<std::size_t>(oneBit) / 64] = Limb{1} << (oneBit % 64);
    if (y.negative)
      sum = wide::Difference(one, sum);
    else
      wide::AddTo(sum, one);
  } else {
    exact = false;
  }
  const int top = wide::HighestBit(sum);
  const int dropped = top - static_cast<int>(64 * N);
  if (dropped > 0 && wide::AnyBitBelow(sum, dropped)) exact = false;
  const Fixed<N> t =
      wide::TopLimbs<N>(wide::ShiftLeft(sum, static_cast<int>(64 * (N + 2)) - top));
  return {top + scale, t, exact ? Limb{0} : Limb{2}};
}

// ln(2^k·(1 + t)) = k·ln 2 + ln(1 + t), in N fraction limbs.
template <std::size_t N>
Approximation<N + 1> NaturalLogOf(const LogArgument<N>& x) noexcept {
  Approximation<N + 1> result;
  result.exponent = -static_cast<int>(64 * N);
  result.magnitude = wide::Widen<N + 1>(LogKernel<N, LogBase::kNatural>(x.t));
  // The slope of ln(1 + t) is below 1: t's error passes on at most as is.
  result.errorUnits = kLogKernelError<N, LogBase::kNatural> + x.tErrorUnits;
  if (x.k != 0) {
    const Limb count = static_cast<Limb>(std::abs(x.k));
    // The product with the truncated ln 2 is exact; that truncation (< 1
    // unit) counts |k| times.
    const auto multiple = wide::MultiplyByLimb(FromTable<N>(kLn2), count);
    result.errorUnits += count;
    if (x.k > 0) {
      wide::AddTo(result.magnitude, multiple);
    } else {  // |k|·ln 2 ≥ ln 2 > ln(1 + t)
      result.magnitude = wide::Difference(multiple, result.magnitude);
      result.negative = true;
    }
  }
  return result;
}

// ±(whole + fraction) or ±(whole − fraction) as the sign of k and the
// sizes say, in a whole limb above N fraction limbs. The callers' wholes
// exceed their fractions by far more than the errors (|k| ≥ 1 against a
// logarithm of 1 + t < 2), so the difference never wraps.
template <std::size_t N>
Approximation<N + 1> Combine(int k, const wide::Unsigned<N + 1>& whole,
                             const wide::Unsigned<N + 1>& fraction, Limb errorUnits) noexcept {
  Approximation<N + 1> result;
  result.exponent = -static_cast<int>(64 * N);
  result.errorUnits = errorUnits;
  if (k >= 0) {
    result.magnitude = wide::Sum(whole, fraction);
  } else {
    result.magnitude = wide::Difference(whole, fraction);
    result.negative = true;
  }
  return result;
}

// log2(2^k·(1 + t)) = k + log2(1 + t); t's error passes on times the
// slope, below 2.
template <std::size_t N>
Approximation<N + 1> Log2Of(const LogArgument<N>& x) noexcept {
  const auto fraction = wide::Widen<N + 1>(LogKernel<N, LogBase::kBinary>(x.t));
  wide::Unsigned<N + 1> whole;
  whole.limbs[N] = static_cast<Limb>(std::abs(x.k));
  return Combine<N>(x.k, whole, fraction,
                    kLogKernelError<N, LogBase::kBinary> + 2 * x.tErrorUnits);
}

// C·log2(x) = C·k + C·log2(1 + t) with C the extended constant: C·k is
// exact; the slope of the second is below 1.
template <std::size_t N>
Approximation<N + 1> Log10ProductOf(const LogArgument<N>& x) noexcept {
  const auto fraction =
      wide::Widen<N + 1>(LogKernel<N, LogBase::kDecimalProduct>(x.t));
  // C·|k| = significand·|k|·2^-65, in units of 2^-64N.
  const wide::Unsigned<1> constant{{kLog10Of2Significand}};
  const auto whole = wide::ShiftLeft(
      wide::Widen<N + 1>(wide::MultiplyByLimb(constant, static_cast<Limb>(std::abs(x.k)))),
      static_cast<int>(64 * N) + kLog10Of2Exponent);
  return Combine<N>(x.k, whole, fraction,
                    kLogKernelError<N, LogBase::kDecimalProduct> + x.tErrorUnits);
}

// The cases every logarithm of x shares: the result, or nothing when x is
// positive and finite.
std::optional<Bits> LogSpecialCase(const Operand& x, Bits original) noexcept {
  switch (x.kind) {
    case Kind::kNaN:
    case Kind::kUnsupported:
      return PropagateNaN(x, original);
    case Kind::kZero:
      return wide::InfinityBits(true);  // the pole
    case Kind::kInfinite:
      return x.negative ? kDefaultNaN : original;
    case Kind::kFinite:
      if (x.negative) return kDefaultNaN;
      return std::nullopt;
  }
  return kDefaultNaN;
}

// log2 and LOG's product of 2^k are exact: k, and the constant times k.
Bits ExactLog2(int k) noexcept {
  wide::Unsigned<1> magnitude{{static_cast<Limb>(std::abs(k))}};
  return wide::RoundExactBits(k < 0, magnitude, 0);
}

Bits ExactLog10Product(int k) noexcept {
  wide::Unsigned<1> magnitude{{static_cast<Limb>(std::abs(k))}};
  return wide::RoundExactBits(k < 0, wide::MultiplyByLimb(magnitude, kLog10Of2Significand),
                          kLog10Of2Exponent);
}

Bits Log2Value(Bits original, Path path) noexcept {
  const Operand x = Decode(original);
  if (auto special = LogSpecialCase(x, original)) return *special;
  if (IsPowerOfTwo(x)) return ExactLog2(x.exponent);
  return Decide([&](auto limbs) { return Log2Of(ArgumentOf<decltype(limbs)::value>(x)); }, path);
}

Bits NaturalLogValue(Bits original, Path path) noexcept {
  const Operand x = Decode(original);
  if (auto special = LogSpecialCase(x, original)) return *special;
  if (IsPowerOfTwo(x) && x.exponent == 0) return wide::ZeroBits(false);
  return Decide([&](auto limbs) { return NaturalLogOf(ArgumentOf<decltype(limbs)::value>(x)); },
                path);
}

Bits Log10ProductValue(Bits original, Path path) noexcept {
  const Operand x = Decode(original);
  if (auto special = LogSpecialCase(x, original)) return *special;
  if (IsPowerOfTwo(x)) return ExactLog10Product(x.exponent);
  return Decide([&](auto limbs) { return Log10ProductOf(ArgumentOf<decltype(limbs)::value>(x)); },
                path);
}

Bits LnOnePlusValue(Bits original, Path path) noexcept {
  const Operand y = Decode(original);
  switch (y.kind) {
    case Kind::kNaN:
    case Kind::kUnsupported:
      return PropagateNaN(y, original);
    case Kind::kZero:
      return original;
    case Kind::kInfinite:
      return y.negative ? kDefaultNaN : original;
    case Kind::kFinite:
      break;
  }
  if (y.negative && y.exponent >= 0) {  // y ≤ −1
    if (IsPowerOfTwo(y) && y.exponent == 0) return wide::InfinityBits(true);
    return kDefaultNaN;
  }
  // ln(1 + y) = y − y²/2 + …: for |y| < 2^-64, y²/2 is below a quarter of
  // y's last place (an eighth below a power of two), so y is nearest.
  if (y.exponent < -64) return original;
  return Decide([&](auto limbs) { return NaturalLogOf(OnePlus<decltype(limbs)::value>(y)); }, path);
}

// --- exponentials ------------------------------------------------------------

// |x| as a whole limb above N fraction limbs; exact for 2^-65 ≤ |x| < 2^64
// when N ≥ 2 (the last bit of x weighs at least 2^-128).
template <std::size_t N>
wide::Unsigned<N + 1> FixedMagnitude(const Operand& x) noexcept {
  wide::Unsigned<N + 1> magnitude;
  magnitude.limbs[0] = x.significand;
  return wide::ShiftLeft(magnitude, x.exponent - 63 + static_cast<int>(64 * N));
}

// 2^y for y = ±magnitude (a whole limb above N fraction limbs), known
// within yErrorUnits: 2^y = 2^n · 2^f with n whole and f in [0, 1).
// An error δ of y scales the result by 2^δ, which for δ this small is
// within δ·ln 2·(1 + 2^-100) < 0.7δ of 1 in relative terms; on a 2^f below
// 2 that makes at most 1.4δ, counted as 2δ.
template <std::size_t N>
Approximation<N + 1> Exp2Of(bool negative, const wide::Unsigned<N + 1>& y,
                            Limb yErrorUnits) noexcept {
  auto whole = static_cast<long>(y.limbs[N]);
  Fixed<N> f = wide::TopLimbs<N>(wide::ShiftLeft(y, 64));
  if (negative) {
    whole = -whole;
    if (!wide::IsZero(f)) {
      whole -= 1;
      f = wide::Difference(Fixed<N>{}, f);  // 1 − f
    }
  }
  Approximation<N + 1> result;
  result.magnitude = Exp2Kernel(f);
  result.exponent = static_cast<int>(whole) - static_cast<int>(64 * N);
  result.errorUnits = kExp2KernelError<N> + 2 * yErrorUnits;
  return result;
}

// The cases both exponentials share: the result, or nothing when x is
// finite, in range and not tiny. 2^x and e^x overflow for x ≥ 2^15 and
// 2^14 and fall below half the least subnormal for x ≤ −2^15 and −2^14.
// For |x| < 2^-65 the result lies within x·ln 2 < 2^-65 … (e: < 2^-65) of
// 1, closer than half a place on either side of 1.
std::optional<Bits> ExpSpecialCase(const Operand& x, Bits original,
                                       int overflowExponent) noexcept {
  switch (x.kind) {
    case Kind::kNaN:
    case Kind::kUnsupported:
      return PropagateNaN(x, original);
    case Kind::kZero:
      return kOne;
    case Kind::kInfinite:
      return x.negative ? wide::ZeroBits(false) : original;
    case Kind::kFinite:
      break;
  }
  if (x.exponent >= overflowExponent)
    return x.negative ? wide::ZeroBits(false) : wide::InfinityBits(false);
  if (x.exponent < -65) return kOne;
  return std::nullopt;
}

Bits Exp2Value(Bits original, Path path) noexcept {
  const Operand x = Decode(original);
  if (auto special = ExpSpecialCase(x, original, 15)) return *special;
  if (IsInteger(x)) {  // 2^n exactly, |n| < 2^15
    const int n = static_cast<int>(x.significand >> (63 - x.exponent));
    return wide::RoundExactBits(false, wide::Unsigned<1>{{1}}, x.negative ? -n : n);
  }
  return Decide(
      [&](auto limbs) {
        return Exp2Of<decltype(limbs)::value>(
            x.negative, FixedMagnitude<decltype(limbs)::value>(x), 0);
      },
      path);
}

// e^x = 2^(x·log2 e) with x·log2 e = x + x·c, c = log2(e) − 1 truncated:
// x is exact, c's truncation counts |x| < whole + 1 times and the product's
// one more, so y is within whole + 2 units.
Bits ExpValue(Bits original, Path path) noexcept {
  const Operand x = Decode(original);
  if (auto special = ExpSpecialCase(x, original, 14)) return *special;
  return Decide(
      [&](auto limbs) {
        constexpr std::size_t N = decltype(limbs)::value;
        const auto magnitude = FixedMagnitude<N>(x);
        auto y = magnitude;
        wide::AddTo(y, wide::TopLimbs<N + 1>(wide::MultiplyFull(
                           magnitude, FromTable<N>(kLog2eMinusOne))));
        return Exp2Of<N>(x.negative, y, magnitude.limbs[N] + 2);
      },
      path);
}

}  // namespace

Extended Evaluate(Primitive primitive, Extended x, Path path) noexcept {
  const Bits bits(x);
  switch (primitive) {
    case Primitive::kLog2: return Log2Value(bits, path).ToExtended();
    case Primitive::kNaturalLog: return NaturalLogValue(bits, path).ToExtended();
    case Primitive::kLnOnePlus: return LnOnePlusValue(bits, path).ToExtended();
    case Primitive::kExp: return ExpValue(bits, path).ToExtended();
    case Primitive::kExp2: return Exp2Value(bits, path).ToExtended();
    case Primitive::kLog10Product: return Log10ProductValue(bits, path).ToExtended();
  }
  return kDefaultNaN.ToExtended();
}

}  // namespace evaluator::log_exp

namespace evaluator {

// Each takes the operand's fields once and makes one Extended of the result.
Extended Log2(Extended x) noexcept {
  return log_exp::Log2Value(wide::Bits(x), log_exp::Path::kFastThenWide).ToExtended();
}
Extended NaturalLog(Extended x) noexcept {
  return log_exp::NaturalLogValue(wide::Bits(x), log_exp::Path::kFastThenWide).ToExtended();
}
Extended LnOnePlus(Extended y) noexcept {
  return log_exp::LnOnePlusValue(wide::Bits(y), log_exp::Path::kFastThenWide).ToExtended();
}
Extended Exp(Extended x) noexcept {
  return log_exp::ExpValue(wide::Bits(x), log_exp::Path::kFastThenWide).ToExtended();
}
Extended Exp2(Extended x) noexcept {
  return log_exp::Exp2Value(wide::Bits(x), log_exp::Path::kFastThenWide).ToExtended();
}
Extended Log10Product(Extended x) noexcept {
  return log_exp::Log10ProductValue(wide::Bits(x), log_exp::Path::kFastThenWide).ToExtended();
}

}  // namespace evaluator
