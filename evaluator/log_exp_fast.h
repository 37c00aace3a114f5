#pragma once

// The fast kernels: the same functions as the wide kernels of
// log_exp_core.h, in 128-bit fixed point with a third table level, so that
// the remaining argument is below 2^-18 and the series shrinks to a square
// in 128 bits, a cube in 64 bits and a tail in double arithmetic (which is
// IEEE and the same on every platform; no contraction into FMAs). "Units"
// are 2^-128.

#include <cstdint>

#include "evaluator/log_exp_tables.h"
#include "evaluator/wide.h"

namespace evaluator::log_exp::fast {

using U128 = wide::DoubleLimb;
using wide::Limb;

constexpr U128 FromTable(const Fraction& fraction) noexcept {
  return (U128{fraction[7]} << 64) | fraction[6];  // below by < 1 unit
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

// t (Q0.128) as a double times 2^-64·2^k, from its top limb after a shift.
inline double TopAsDouble(U128 scaled) noexcept {
  return static_cast<double>(High(scaled)) * 0x1p-64;
}

// Error of LnOnePlus below, in units, for an exact t:
//   the reductions: < 1 each; t² / 2 from a 128-bit square: < 1 + 1;
//   t³/3 from 64-bit products of t·2^17: < 2^-64 at that scale, which is
//   2^13 units, + 1; the tail t⁴/4 − t⁵/5 + t⁶/6 in double: relative error
//   < 10·2^-53 of at most 2^-74, < 20 units, and t⁷/7 < 1 unit left out;
//   the three table entries: < 1 each. Sum < 2^13 + 30.
inline constexpr Limb kLnOnePlusError = Limb{1} << 14;

// ln(1 + t) for t in [0, 1).
inline U128 LnOnePlus(U128 t) noexcept {
  const auto coarse = static_cast<std::size_t>(t >> 122);
  t = Reduce(t, kLnCoarseFactor[coarse], 16);  // t < 2^-6 + 2^-15
  const auto fine = static_cast<std::size_t>(t >> 116);
  t = Reduce(t, kLnFineFactor[fine], 24);  // t < 2^-12 + 2^-23
  const auto finest = static_cast<std::size_t>(t >> 110);
  t = Reduce(t, kLnFinestFactor[finest], 30);  // t < 2^-18 + 2^-29

  const U128 scaled = t << 17;  // t·2^17 < 1/2
  const U128 square = MultiplyHigh(scaled, scaled);  // t²·2^34
  const Limb cube = High(U128{High(square)} * High(scaled));  // t³·2^51
  const U128 third = U128{cube} * 0x5555555555555555u;  // ⌊2^64/3⌋
  const double d = TopAsDouble(scaled);
  const double tail =
      d * d * (d * d) * (0.25 - d * (0x1p-17 / 5) + d * d * (0x1p-34 / 6));
  const auto tailUnits = static_cast<Limb>(tail * 0x1p60);  // t⁴·2^68 → 2^-128

  U128 result = t - (square >> 35) + (third >> 51) - tailUnits;
  result += FromTable(kLnCoarse[coarse]) + FromTable(kLnFine[fine]) +
            FromTable(kLnFinest[finest]);
  return result;
}

// Error of Exp2 below, in units:
//   u = g·ln 2: < 2; u²/2: < 2; u³/6 from 64-bit products of u·2^18:
//   < 1.6·2^-64 at that scale, 1640 units; the tail u⁴/24 + u⁵/120 + u⁶/720
//   in double: < 1 unit, and the terms left out < 1; so p is within 1648.
//   The table products: (1 + a)(1 + b): < 7; with c: < 12; with p: the
//   errors of both factors (p's counted twice as 1 + y < 2) + 3 < 3320.
inline constexpr Limb kExp2Error = 4096;

// 2^f for f in [0, 1), as the integer limb above the fraction.
inline wide::Unsigned<3> Exp2(U128 f) noexcept {
  const auto coarse = static_cast<std::size_t>(f >> 122);
  const auto fine = static_cast<std::size_t>((f >> 116) & 63);
  const auto finest = static_cast<std::size_t>((f >> 110) & 63);
  const U128 g = f & ((U128{1} << 110) - 1);  // < 2^-18

  const U128 scaled = MultiplyHigh(g << 18, FromTable(kLn2));  // u·2^18 < 0.7
  const U128 u = scaled >> 18;
  const U128 square = MultiplyHigh(scaled, scaled);  // u²·2^36
  const Limb cube = High(U128{High(square)} * High(scaled));  // u³·2^54
  const U128 sixth = U128{cube} * 0x2AAAAAAAAAAAAAAAu;  // ⌊2^64/6⌋
  const double d = TopAsDouble(scaled);
  const double tail =
      d * d * (d * d) * (1.0 / 24 + d * (0x1p-18 / 120) + d * d * (0x1p-36 / 720));
  const auto tailUnits = static_cast<Limb>(tail * 0x1p56);  // u⁴·2^72 → 2^-128
  const U128 p = u + (square >> 37) + (sixth >> 54) + tailUnits;

  // (1 + a)(1 + b)(1 + c)(1 + p) − 1, each partial product below 2.
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
