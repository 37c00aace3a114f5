#pragma once

// The fixed-point kernels of the logarithm and exponential primitives,
// for any precision of N limbs. The primitives use them at N = 8, for the
// arguments the 128-bit kernels (log_exp_fast.h) leave undecided. "Units"
// are 2^-64N.
//
// Both kernels reduce their argument with two table levels (6 bits each),
// so that the remaining series converges by 12 bits a term.

#include <cstddef>

#include "evaluator/log_exp_tables.h"
#include "evaluator/wide.h"

namespace evaluator::log_exp {

template <std::size_t N>
using Fixed = wide::Unsigned<N>;  // a fraction in [0, 1), Q0.64N

inline constexpr std::size_t kTableLimbs = 8;

// A 512-bit table fraction cut to N limbs: below the exact value by less
// than one unit (the table's own error, 2^-513, included).
template <std::size_t N>
constexpr Fixed<N> FromTable(const Fraction& fraction) noexcept {
  Fixed<kTableLimbs> full{fraction};
  return wide::TopLimbs<N>(full);
}

// Terms kept of the series: both reduced arguments are below 2^-11.99, so
// K + 1 > 64N/11.9 terms make the first term left out below one unit.
template <std::size_t N>
inline constexpr int kSeriesTerms = static_cast<int>((64 * N * 10 + 118) / 119);

// 1/k and 1/k! for k = 2 … the most terms any precision keeps, each
// truncated at 512 bits (nested truncated divisions by 2, 3, … k truncate
// 1/k! only once).
struct SeriesCoefficients {
  static constexpr int kCount = kSeriesTerms<kTableLimbs> + 1;
  Fixed<kTableLimbs> reciprocal[kCount];
  Fixed<kTableLimbs> inverseFactorial[kCount];
};

constexpr SeriesCoefficients MakeSeriesCoefficients() noexcept {
  SeriesCoefficients c{};
  using Numerator = wide::Unsigned<kTableLimbs + 1>;
  Numerator one;  // 2^512
  one.limbs[kTableLimbs] = 1;
  // The quotients are below 1: their lower limbs are the whole fraction.
  auto fraction = [](const Numerator& below_one) {
    return wide::TopLimbs<kTableLimbs>(wide::ShiftLeft(below_one, 64));
  };
  Numerator factorialInverse = one;
  for (int k = 2; k < SeriesCoefficients::kCount; ++k) {
    const auto divisor = static_cast<wide::Limb>(k);
    c.reciprocal[k] = fraction(wide::DivideByLimb(one, divisor));
    factorialInverse = wide::DivideByLimb(factorialInverse, divisor);
    c.inverseFactorial[k] = fraction(factorialInverse);
  }
  return c;
}

inline constexpr SeriesCoefficients kSeries = MakeSeriesCoefficients();

// A coefficient cut to N limbs: below the exact value by less than a unit.
template <std::size_t N>
constexpr Fixed<N> Coefficient(const Fixed<kTableLimbs> (&table)[SeriesCoefficients::kCount],
                               int k) noexcept {
  return wide::TopLimbs<N>(table[k]);
}

// --- 2^f for f in [0, 1) ----------------------------------------------

// Error of Exp2Fraction in units (the sum of these, rounded up):
//   table entries A, B: < 1 each; A + B + A·B: < 1 + 1 + 3 = 5;
//   u = g·ln 2: < 2; Horner sum S = 1/2! + u/3! + …: each step adds a
//   coefficient error (< 1) and a truncation (< 1) to u times the previous
//   error, so < 2.01; P = u + u·(u·S): < 2 + 2 + 1 + 1 = 6, and < 1 more
//   for the terms left out; (1+F)(1+P) − 1 = F + P + F·P: < 5 + 7 + 7 + 1.
inline constexpr wide::Limb kExp2FractionError = 32;

// 2^f, as an integer limb above N fraction limbs.
template <std::size_t N>
constexpr wide::Unsigned<N + 1> Exp2Fraction(const Fixed<N>& f) noexcept {
  const wide::Limb top = f.limbs[N - 1];
  const auto coarse = static_cast<std::size_t>(top >> 58);
  const auto fine = static_cast<std::size_t>((top >> 52) & 63);
  Fixed<N> g = f;
  g.limbs[N - 1] &= (wide::Limb{1} << 52) - 1;  // f − j/64 − j'/4096

  // e^u − 1 = u + u²·S with S = Σ u^(k−2)/k!, u = g·ln 2 < 2^-12.5.
  const Fixed<N> u = wide::MultiplyFraction(g, FromTable<N>(kLn2));
  Fixed<N> s = Coefficient<N>(kSeries.inverseFactorial, kSeriesTerms<N>);
  for (int k = kSeriesTerms<N> - 1; k >= 2; --k)
    s = wide::Sum(Coefficient<N>(kSeries.inverseFactorial, k),
                  wide::MultiplyFraction(u, s));
  const Fixed<N> p =
      wide::Sum(u, wide::MultiplyFraction(u, wide::MultiplyFraction(u, s)));

  // (1 + a)(1 + b)(1 + p) − 1 = F + p + F·p with F = a + b + a·b; F stays
  // below 1 since 2^(j/64 + j'/4096) < 2, the last sum may reach 1 only
  // through the errors when f is within a few units of 1.
  const Fixed<N> a = FromTable<N>(kExp2Coarse[coarse]);
  const Fixed<N> b = FromTable<N>(kExp2Fine[fine]);
  const Fixed<N> table = wide::Sum(wide::Sum(a, b), wide::MultiplyFraction(a, b));
  wide::Unsigned<N + 1> result = wide::Widen<N + 1>(table);
  wide::AddTo(result, wide::Widen<N + 1>(p));
  wide::AddTo(result, wide::Widen<N + 1>(wide::MultiplyFraction(table, p)));
  result.limbs[N] += 1;
  return result;
}

// --- ln(1 + t) for t in [0, 1) ------------------------------------------

// Multiplies 1 + t by r = factor/2^scaleBits (r ≤ 1, chosen so that the
// product is at least 1) and returns the product minus 1. The product is
// exact when t has at most 64N − scaleBits significant fraction bits,
// otherwise below by less than one unit.
template <std::size_t N>
constexpr Fixed<N> ReduceByFactor(const Fixed<N>& t, std::uint32_t factor,
                                  int scaleBits) noexcept {
  // (1 + t)·R/2^s − 1 = t·R/2^s − (2^s − R)/2^s
  Fixed<N> scaled = wide::TopLimbs<N>(wide::ShiftLeft(
      wide::MultiplyByLimb(t, factor), 64 - scaleBits));
  Fixed<N> deficit;
  deficit.limbs[N - 1] = ((wide::Limb{1} << scaleBits) - factor)
                         << (64 - scaleBits);
  // A truncated t·R can fall one unit below a product of exactly 1.
  if (wide::SubtractFrom(scaled, deficit) != 0) return Fixed<N>{};
  return scaled;
}

// Error of LnOnePlusFraction in units, for an exact t (an inexact t adds
// its own error, since the slope is below 1):
//   the two reductions: < 1 each (exact for t of at most 64N − 40 bits);
//   the Horner sum S = 1/2 − t/3 + …: < 2.01; t²·S: < 3; the terms left
//   out: < 1; the two table entries: < 1 each. Sum < 10; with margin:
inline constexpr wide::Limb kLnFractionError = 16;

// ln(1 + t).
template <std::size_t N>
constexpr Fixed<N> LnOnePlusFraction(const Fixed<N>& t0) noexcept {
  const auto coarse = static_cast<std::size_t>(t0.limbs[N - 1] >> 58);
  const Fixed<N> t1 = ReduceByFactor(t0, kLnCoarseFactor[coarse], 16);
  // t1 < 2^-6 + 2^-15: the next index is at most 64.
  const auto fine = static_cast<std::size_t>(t1.limbs[N - 1] >> 52);
  const Fixed<N> t = ReduceByFactor(t1, kLnFineFactor[fine], 24);

  // ln(1 + t) = t − t²·S with S = Σ (−1)^k t^(k−2)/k, t < 2^-11.99: each
  // partial sum stays positive and below 1.
  Fixed<N> s = Coefficient<N>(kSeries.reciprocal, kSeriesTerms<N>);
  for (int k = kSeriesTerms<N> - 1; k >= 2; --k)
    s = wide::Difference(Coefficient<N>(kSeries.reciprocal, k),
                         wide::MultiplyFraction(t, s));
  Fixed<N> result = wide::Difference(
      t, wide::MultiplyFraction(t, wide::MultiplyFraction(t, s)));
  wide::AddTo(result, FromTable<N>(kLnCoarse[coarse]));
  wide::AddTo(result, FromTable<N>(kLnFine[fine]));
  return result;
}

}  // namespace evaluator::log_exp
