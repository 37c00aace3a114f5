#pragma once

// The fast kernels: the same functions as the wide kernels of
// log_exp_core.h, in 128-bit fixed point with a third table level, so that
// the remaining argument is below 2^-18 and the series shrinks to a square
// in 128 bits and a tail in double arithmetic (IEEE, the same on every
// platform; no contraction into FMAs). "Units" are 2^-128.

#include <cstdint>

#include "evaluator/log_exp_tables.h"
#include "evaluator/wide.h"

namespace evaluator::log_exp::fast {

using U128 = wide::DoubleLimb;
using wide::Limb;

constexpr U128 FromTable(const Fraction& fraction) noexcept {
  return (U128{fraction[7]} << 64) | fraction[6];  // below by < 1 unit
}

constexpr U128 FromTable(const Fraction128& fraction) noexcept {
  return (U128{fraction[1]} << 64) | fraction[0];
}

constexpr Limb High(U128 a) noexcept { return static_cast<Limb>(a >> 64); }
constexpr Limb Low(U128 a) noexcept { return static_cast<Limb>(a); }

// The top 128 bits of a·b: below the exact value by less than 3 units (the
// low halves of the two cross products and the low product are dropped).
constexpr U128 MultiplyHigh(U128 a, U128 b) noexcept {
  return U128{High(a)} * High(b) + ((U128{High(a)} * Low(b)) >> 64) +
         ((U128{Low(a)} * High(b)) >> 64);
}

// (a·b)/2^s for 0 < s ≤ 64, when that fits in 128 bits: below by < 1 unit.
constexpr U128 MultiplyShift(U128 a, Limb b, int s) noexcept {
  return ((U128{High(a)} * b) << (64 - s)) + ((U128{Low(a)} * b) >> s);
}

// (1 + t)·R/2^s − 1 for a factor R ≤ 2^s that makes the product at least 1.
constexpr U128 Reduce(U128 t, std::uint32_t factor, int s) noexcept {
  const U128 product = MultiplyShift(t, factor, s);
  const U128 deficit = U128{(Limb{1} << s) - factor} << (128 - s);
  return product > deficit ? product - deficit : 0;  // truncation may undershoot
}

// The square of a (Q0.128): below the exact value by less than 3 units.
constexpr U128 Square(U128 a) noexcept {
  return U128{High(a)} * High(a) + ((U128{High(a)} * Low(a)) >> 63);
}

// a (Q0.128, below 1) as a double: within 2^-63 + 2^-53·a. (Signed
// conversions both ways: they are single instructions where unsigned
// ones are not.)
inline double AsDouble(U128 a) noexcept {
  return static_cast<double>(static_cast<std::int64_t>(High(a) >> 1)) * 0x1p-63;
}

// A double in [0, 2^63) as an integer, truncated.
inline Limb Truncate(double x) noexcept {
  return static_cast<Limb>(static_cast<std::int64_t>(x));
}

// The series past the square run in double arithmetic: their terms are
// below 2^-54, so a relative error of 2^-50 is absolute 2^-104, far below
// what the rounding check needs (about 2^-90) yet well inside the bound.

// The logarithms the kernel below computes: ln, log2 and LOG's C·log2.
enum class LogBase { kNatural, kBinary, kDecimalProduct };

// Error of LogOnePlus below, in units, for an exact t (an inexact t adds
// its error times the slope, below K ≤ log2(e) < 2):
//   the three reductions: < 1 each; K·t: < 2; K·t²/2: < 2;
//   K·D with D = t³/3 − t⁴/4 + t⁵/5 − t⁶/6 from d = t·2^17 in double: d is
//   within 2^-63 + 2^-53·d, which moves D by < 3·2^-53·D + 2^-116; the
//   evaluation with K (eight roundings) by < 9·2^-53·D; with K·D < 2^-55
//   that is < 2^-104.4, 2^23.6 units; t⁷/7 < 1 unit is left out; the
//   conversion: < 2^10; the three table entries: < 1 each. Sum < 2^23.7.
inline constexpr Limb kLogOnePlusError = Limb{1} << 25;

// K·ln(1 + t) for t in [0, 1), K = 1, log2(e) or C·log2(e) as `base` says.
template <LogBase base>
inline U128 LogOnePlus(U128 t) noexcept {
  const auto coarse = static_cast<std::size_t>(t >> 122);
  t = Reduce(t, kLnCoarseFactor[coarse], 16);  // t < 2^-6 + 2^-15
  const auto fine = static_cast<std::size_t>(t >> 116);
  t = Reduce(t, kLnFineFactor[fine], 24);  // t < 2^-12 + 2^-23
  const auto finest = static_cast<std::size_t>(t >> 110);
  t = Reduce(t, kLnFinestFactor[finest], 30);  // t < 2^-18 + 2^-29

  const U128 scaled = t << 17;  // d = t·2^17 < 1/2
  const U128 square = Square(scaled);  // t²·2^34
  const double d = AsDouble(scaled);
  // D·2^51/d³, then K·D·2^118 < 2^62.5 as an integer (D = t³·2^-51·(…)),
  // grouped in pairs for a shorter chain of dependent operations.
  const double d2 = d * d;
  double series = d2 * d *
                  ((1.0 / 3 - d * (0x1p-17 / 4)) + d2 * (0x1p-34 / 5 - d * (0x1p-51 / 6)));

  // K·(t − t²/2 + D) + the tables' −K·ln r, each product beside the others.
  U128 linear, quadratic, tables;
  if constexpr (base == LogBase::kNatural) {
    linear = t;
    quadratic = square;
    tables = FromTable(kLnCoarse[coarse]) + FromTable(kLnFine[fine]) +
             FromTable(kLnFinest[finest]);
  } else if constexpr (base == LogBase::kBinary) {
    const U128 k = FromTable(kLog2eMinusOne);
    linear = t + (MultiplyHigh(scaled, k) >> 17);
    quadratic = square + MultiplyHigh(square, k);
    series *= 0x1.71547652B82FEp0;  // log2(e), rounded
    tables = FromTable(kLog2Coarse[coarse]) + FromTable(kLog2Fine[fine]) +
             FromTable(kLog2Finest[finest]);
  } else {
    const U128 k = FromTable(kLog10Of2TimesLog2e);
    linear = MultiplyHigh(scaled, k) >> 17;
    quadratic = MultiplyHigh(square, k);
    series *= 0x1.BCB7B1526E50Ep-2;  // C·log2(e), rounded
    tables = FromTable(kLog10Coarse[coarse]) + FromTable(kLog10Fine[fine]) +
             FromTable(kLog10Finest[finest]);
  }
  const U128 tail = U128{Truncate(series * 0x1p67)} << 10;
  return linear - (quadratic >> 35) + tail + tables;
}

// Error of Exp2 below, in units:
//   u = g·ln 2: < 2; u²/2: < 2; D = u³/6 + … + u⁶/720 from d = g·2^18·ln 2
//   in double (taken from g, so that it need not wait for u): d is within
//   2^-63 + 2^-52·d, which moves D by < 6·2^-53·D + 2^-119, the evaluation
//   by < 9·2^-53·D; with D < 2^-58 that is < 2^-105.9, 2^22.1 units;
//   u⁷/5040 < 1 unit left out; D's conversion < 2^7; so p is within 2^22.2.
//   The table products (1 + a)(1 + b)(1 + c), independent of p: < 12; with
//   1 + p: the errors of both factors (p's twice, as the other is below 2)
//   + 3: < 2^23.3.
inline constexpr Limb kExp2Error = Limb{1} << 24;

// 2^f for f in [0, 1), as the integer limb above the fraction.
inline wide::Unsigned<3> Exp2(U128 f) noexcept {
  const auto coarse = static_cast<std::size_t>(f >> 122);
  const auto fine = static_cast<std::size_t>((f >> 116) & 63);
  const auto finest = static_cast<std::size_t>((f >> 110) & 63);
  const U128 g = f & ((U128{1} << 110) - 1);  // < 2^-18

  const U128 scaled = MultiplyHigh(g << 18, FromTable(kLn2));  // u·2^18 < 0.7
  const double d = AsDouble(g << 18) * 0x1.62E42FEFA39EFp-1;  // ln 2, rounded
  // D·2^54/d³, then D·2^121 < 2^63 as an integer.
  const double d2 = d * d;
  const double series = d2 * d *
                        ((1.0 / 6 + d * (0x1p-18 / 24)) +
                         d2 * (0x1p-36 / 120 + d * (0x1p-54 / 720)));
  const U128 tail = U128{Truncate(series * 0x1p67)} << 7;
  const U128 p = (scaled >> 18) + (Square(scaled) >> 37) + tail;  // u + u²/2 + D

  // (1 + a)(1 + b)(1 + c)(1 + p) − 1, each partial product below 2; the
  // table products run beside the series.
  const U128 a = FromTable(kExp2Coarse[coarse]);
  const U128 b = FromTable(kExp2Fine[fine]);
  const U128 c = FromTable(kExp2Finest[finest]);
  U128 y = a + b + MultiplyHigh(a, b);
  y = y + c + MultiplyHigh(y, c);
  const U128 cross = MultiplyHigh(y, p);
  U128 result = y + p;
  Limb whole = 1 + (result < y ? 1 : 0);
  result += cross;
  whole += result < cross ? 1 : 0;
  wide::Unsigned<3> value;
  value.limbs[0] = Low(result);
  value.limbs[1] = High(result);
  value.limbs[2] = whole;
  return value;
}

}  // namespace evaluator::log_exp::fast
