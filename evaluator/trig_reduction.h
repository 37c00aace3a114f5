#pragma once

#include "evaluator/trig_fixed.h"
#include "evaluator/trig_tables.h"

namespace evaluator::trig {

// x = r + quadrant·π/2 with |r| ≤ π/4; r as a magnitude and a sign.
template <std::size_t N>
struct Reduced {
  Float<N> r;
  bool negative = false;
  unsigned quadrant = 0;
};

// Reduces x = significand · 2^(exponent − 63), π/4 ≤ x < 2^63 (so the
// exponent is −1 to 62). Below 2^63 no bit of 2/π is worth skipping: the
// first word already weighs less than 4 once multiplied by x, so the
// product with the leading words of 2/π is the whole reduction.
//
// Bits: 2/π truncated to W = N + 3 words is short by less than one unit of
// its last word, so the product is short by less than the significand, that
// is, less than one unit of its second-lowest word. After the integer bits
// go, the fraction has 64(W − 1) + (63 − exponent) correct bits; at most 69
// of them are leading zeros (see kReductionWords), which leaves more than
// 64N + 8 correct bits for r: the fraction's truncation to N words then
// costs under 2^(1 − 64N) relatively, π/2 as N words 2^(1 − 64N), and the
// product 2^(1 − 64N), so r is within 2^(4 − 64N) of x mod π/2 relatively.
template <std::size_t N>
Reduced<N> ReduceByHalfPi(u64 significand, int exponent) noexcept {
  constexpr std::size_t W = N + 3;
  static_assert(W <= kReductionWords);
  const auto product =
      wide::MultiplyByLimb(LoadFixed<W>(kTwoOverPi), significand);

  // The binary point lies `below` bits above the product's top limb.
  const int below = 63 - exponent;  // 1 to 64
  Reduced<N> out;
  out.quadrant = below == 64 ? 0 : static_cast<unsigned>(TopLimb(product) >> below);
  auto fraction = wide::ShiftLeft(product, 64 - below);
  if ((TopLimb(fraction) >> 63) != 0) {  // nearer the next multiple of π/2
    ++out.quadrant;
    out.negative = true;
    fraction = wide::Difference(decltype(fraction){}, fraction);
  }
  const int zeros = kBits<W + 1> - 1 - wide::HighestBit(fraction);
  const Float<N> f{wide::TopLimbs<N>(wide::ShiftLeft(fraction, zeros)),
                   -kBits<N> - zeros};
  out.r = Mul(f, ToFloat(LoadFixed<N>(kHalfPi[0])));
  return out;
}

}  // namespace evaluator::trig
