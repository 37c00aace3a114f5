#pragma once

#include <cstdint>

namespace evaluator {

// A value of the 80-bit extended format: 1 sign bit, a 15-bit exponent
// biased by 16383, and a 64-bit significand whose top bit is the explicit
// integer bit. Exponent field 0 holds zeros and subnormals (value =
// significand · 2^(1 − 16383 − 63)); 0x7FFF holds infinities (significand
// 0x8000000000000000) and NaNs. Every operation is correctly rounded to
// nearest, ties to even, with gradual underflow, whatever the platform.
//
// This is the contract the arithmetic and the primitives share; the
// representation inside may differ per platform, the bits never do.
class Extended {
 public:
  constexpr Extended() noexcept = default;

  static constexpr Extended FromBits(std::uint16_t signExponent,
                                     std::uint64_t significand) noexcept {
    Extended e;
    e.significand_ = significand;
    e.signExponent_ = signExponent;
    return e;
  }
  constexpr std::uint16_t SignExponent() const noexcept { return signExponent_; }
  constexpr std::uint64_t Significand() const noexcept { return significand_; }

 private:
  std::uint64_t significand_ = 0;
  std::uint16_t signExponent_ = 0;
};

}  // namespace evaluator
