#pragma once

#include <bit>
#include <cmath>
#include <cstdint>
#include <optional>

// Double arithmetic that gives exactly what an extended step followed by
// the rounding to a double gives, where it can prove that; otherwise
// nothing, and the caller takes the extended path.
//
// Why that is possible: let z be the exact result and s = RN53(z) its
// double rounding. The extended path yields RN53(RN64(z)). Every midpoint
// between two doubles is an extended value, and RN64 is monotone, so
// RN64(z) stays on z's side of each midpoint, or lands on it. The two
// roundings therefore differ only when RN64(z) is a midpoint m, that is
// when |z − m| is at most half a 64-bit unit of m: 2^-12 of a double unit
// u of s. With s not a power of two the midpoints next to z lie at s ± u/2,
// so |z − s| < u/2 − u/2^12 settles it; for a power of two the one below
// lies at s − u/4, and halving the bound covers both sides. The checks
// below ask for |error| < (u/2)·(1 − 2^-10), which also absorbs an error
// that is known only to a relative 2^-50.
//
// The exact error of a sum, a product or a quotient comes from the usual
// error-free transformations, which hold only without overflow and
// underflow: each operation accepts only operands whose exponents keep
// every intermediate term far inside the normal range. Without a fused
// multiply-add (the build forbids contraction, and not every target has
// one) the product's error comes from splitting each factor into two
// halves of 26 bits.
namespace evaluator::rounded_once {

namespace detail {

inline constexpr std::uint64_t kFractionMask = (std::uint64_t{1} << 52) - 1;

constexpr int ExponentField(double x) noexcept {
  return static_cast<int>((std::bit_cast<std::uint64_t>(x) >> 52) & 0x7FF);
}

// Both magnitudes within [2^(low − 1023), 2^(high − 1023)): neither zero,
// subnormal nor beyond the range the caller's error term needs.
constexpr bool FieldsWithin(double a, double b, int low, int high) noexcept {
  const unsigned width = static_cast<unsigned>(high - low);
  return static_cast<unsigned>(ExponentField(a) - low) < width &&
         static_cast<unsigned>(ExponentField(b) - low) < width;
}

// True when RN53(RN64(s + error)) is s, where error is the exact error of s
// (s = RN53 of the exact value) known to within a relative 2^-50, and slack
// bounds any further uncertainty of the exact value's place.
inline bool RoundsToItself(double s, double error, double slack) noexcept {
  if (error == 0 && slack == 0) return true;
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(s);
  const int field = ExponentField(s);
  if (field < 55 || field > 2046) return false;  // half a unit must be a normal double
  // Half a unit of s, halved again for a power of two.
  const int halfUnitField = (bits & kFractionMask) == 0 ? field - 54 : field - 53;
  const double halfUnit = std::bit_cast<double>(static_cast<std::uint64_t>(halfUnitField) << 52);
  return std::fabs(error) + slack < halfUnit * 0x1.ff8p-1;  // (1 − 2^-10), exact
}

struct WithError {
  double value;
  double error;  // value + error is the exact result
};

// Exact for any finite a and b whose sum does not overflow.
inline WithError SumWithError(double a, double b) noexcept {
  const double s = a + b;
  const double bPart = s - a;
  const double aPart = s - bPart;
  return {s, (a - aPart) + (b - bPart)};
}

struct Halves {
  double high;
  double low;
};

// high + low = a exactly, each with at most 26 significant bits; a must
// stay far below the overflow threshold.
inline Halves Split(double a) noexcept {
  const double c = 0x1.0000002p27 * a;  // 2^27 + 1
  const double high = c - (c - a);
  return {high, a - high};
}

// Exact when every partial product's bits stay normal: operands and result
// well inside the exponent range.
inline WithError ProductWithError(double a, double b) noexcept {
  const double p = a * b;
  const Halves x = Split(a);
  const Halves y = Split(b);
  const double error =
      ((x.high * y.high - p) + x.high * y.low + x.low * y.high) + x.low * y.low;
  return {p, error};
}

}  // namespace detail

// a + b (b negated for a difference). Both below 2^1000, so neither the
// sum nor its error term overflows; any error term is exact.
inline std::optional<double> Sum(double a, double b) noexcept {
  if (detail::ExponentField(a) >= 2023 || detail::ExponentField(b) >= 2023) return std::nullopt;
  const detail::WithError r = detail::SumWithError(a, b);
  if (!detail::RoundsToItself(r.value, r.error, 0)) return std::nullopt;
  return r.value;
}

// Factors within [2^-400, 2^400): the product's partial terms stay above
// 2^-1000 and below 2^830. A zero factor gives a signed zero both ways.
inline std::optional<double> Product(double a, double b) noexcept {
  if (!detail::FieldsWithin(a, b, 1023 - 400, 1023 + 400)) {
    if ((a == 0 && std::isfinite(b)) || (b == 0 && std::isfinite(a))) return a * b;
    return std::nullopt;
  }
  const detail::WithError r = detail::ProductWithError(a, b);
  if (!detail::RoundsToItself(r.value, r.error, 0)) return std::nullopt;
  return r.value;
}

// With q = RN53(a / b), the remainder a − q·b is a double and comes out
// exactly as (a − p) − e from q·b = p + e (a − p is exact: p lies within a
// factor 2 of a); the quotient's error is then remainder / b, to a relative
// 2^-53. Operands within [2^-400, 2^400) keep q and every term in range.
// A zero dividend over a non-zero divisor is a signed zero both ways.
inline std::optional<double> Quotient(double a, double b) noexcept {
  if (!detail::FieldsWithin(a, b, 1023 - 400, 1023 + 400)) {
    if (a == 0 && b != 0 && std::isfinite(b)) return a / b;
    return std::nullopt;
  }
  const double q = a / b;
  const detail::WithError p = detail::ProductWithError(q, b);
  const double remainder = (a - p.value) - p.error;
  if (!detail::RoundsToItself(q, remainder / b, 0)) return std::nullopt;
  return q;
}

// The double nearest to 2^(0.5·L) rounded to extended, L = log2(x) rounded
// to extended: the square root as the power operation computes it, each
// step correctly rounded.
//
// With ℓ = log2(x) and |ℓ| ≤ |k| + 1 for x in [2^k, 2^(k+1)): |L − ℓ| ≤
// 2^-64·|ℓ|, so 2^(L/2) = √x·2^η with |η| ≤ 2^-65·|ℓ|, a relative change
// below 0.7·|η|; the rounding of the power adds 2^-64. The composite lies
// within √x·(|k| + 4)·2^-65 of √x, which the bound below doubles. If
// y = RN53(√x) plus that band stays inside y's rounding interval, the
// composite rounds to y too. √x − y = (x − y²)/(√x + y), with x − y² exact
// from y·y = p + e; dividing by 2y instead is off by a relative 2^-52.
// x within [2^-960, 2^1000) keeps y·y's terms normal.
inline std::optional<double> SquareRootByPower(double x) noexcept {
  const int field = detail::ExponentField(x);
  if (field < 1023 - 960 || field >= 1023 + 1000 || std::signbit(x)) return std::nullopt;
  const double y = std::sqrt(x);
  const detail::WithError p = detail::ProductWithError(y, y);
  const double residual = (x - p.value) - p.error;
  const int k = field - 1023;
  const double band = y * (static_cast<double>(k < 0 ? -k : k) + 4) * 0x1p-64;
  if (!detail::RoundsToItself(y, residual / (2 * y), band)) return std::nullopt;
  return y;
}

}  // namespace evaluator::rounded_once
