#pragma once

#include <bit>
#include <cstdint>

#include "evaluator/extended_soft.h"

// The x87 unit gives the 80-bit arithmetic at full speed; everywhere else
// (and on x86-64 when the build asks for it, so that the portable code is
// exercised here) the arithmetic is done in integers.
#if defined(__x86_64__) && !defined(EVALO_PORTABLE_EXTENDED)
#define EVALO_EXTENDED_HARDWARE 1
#endif

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
// The sign and payload of a NaN are not part of it; being a NaN is.
//
//   Extended(1.0) / Extended(3.0)            -> 0xA.AAAAAAAAAAAAAABp-5
//   static_cast<double>(Extended(1.0) / Extended(3.0)) -> 0.3333333333333333
class Extended {
 public:
  constexpr Extended() noexcept = default;

  // Every double is exactly an extended value.
  constexpr explicit Extended(double d) noexcept
#if defined(EVALO_EXTENDED_HARDWARE)
      : value_(d) {}
#else
  {
    const soft::Bits b = soft::FromDouble(d);
    significand_ = b.significand;
    signExponent_ = b.signExponent;
  }
#endif

  static constexpr Extended FromBits(std::uint16_t signExponent,
                                     std::uint64_t significand) noexcept {
#if defined(EVALO_EXTENDED_HARDWARE)
    return Extended(std::bit_cast<long double>(X87Image{significand, signExponent, {}}));
#else
    Extended e;
    e.significand_ = significand;
    e.signExponent_ = signExponent;
    return e;
#endif
  }

#if defined(EVALO_EXTENDED_HARDWARE)
  constexpr std::uint16_t SignExponent() const noexcept {
    return std::bit_cast<X87Image>(value_).signExponent;
  }
  constexpr std::uint64_t Significand() const noexcept {
    return std::bit_cast<X87Image>(value_).significand;
  }

  // Rounded to nearest, ties to even, subnormals and overflow to infinity
  // included: the x87 store does exactly that.
  constexpr explicit operator double() const noexcept { return static_cast<double>(value_); }

  friend constexpr Extended operator+(Extended a, Extended b) noexcept { return Extended(a.value_ + b.value_); }
  friend constexpr Extended operator-(Extended a, Extended b) noexcept { return Extended(a.value_ - b.value_); }
  friend constexpr Extended operator*(Extended a, Extended b) noexcept { return Extended(a.value_ * b.value_); }
  friend constexpr Extended operator/(Extended a, Extended b) noexcept { return Extended(a.value_ / b.value_); }
  friend constexpr Extended operator-(Extended a) noexcept { return Extended(-a.value_); }

  // NaN compares false with everything, itself included; -0 == +0.
  friend constexpr bool operator==(Extended a, Extended b) noexcept { return a.value_ == b.value_; }
  friend constexpr bool operator<(Extended a, Extended b) noexcept { return a.value_ < b.value_; }
  friend constexpr bool operator<=(Extended a, Extended b) noexcept { return a.value_ <= b.value_; }
  friend constexpr bool operator>(Extended a, Extended b) noexcept { return a.value_ > b.value_; }
  friend constexpr bool operator>=(Extended a, Extended b) noexcept { return a.value_ >= b.value_; }

  friend Extended Sqrt(Extended a) noexcept { return Extended(__builtin_sqrtl(a.value_)); }
#else
  constexpr std::uint16_t SignExponent() const noexcept { return signExponent_; }
  constexpr std::uint64_t Significand() const noexcept { return significand_; }

  explicit operator double() const noexcept { return soft::ToDouble(bits()); }

  friend Extended operator+(Extended a, Extended b) noexcept { return Of(soft::Add(a.bits(), b.bits())); }
  friend Extended operator-(Extended a, Extended b) noexcept { return Of(soft::Subtract(a.bits(), b.bits())); }
  friend Extended operator*(Extended a, Extended b) noexcept { return Of(soft::Multiply(a.bits(), b.bits())); }
  friend Extended operator/(Extended a, Extended b) noexcept { return Of(soft::Divide(a.bits(), b.bits())); }
  friend constexpr Extended operator-(Extended a) noexcept { return Of(soft::Negate(a.bits())); }

  friend constexpr bool operator==(Extended a, Extended b) noexcept {
    return soft::Compare(a.bits(), b.bits()) == soft::Order::kEqual;
  }
  friend constexpr bool operator<(Extended a, Extended b) noexcept {
    return soft::Compare(a.bits(), b.bits()) == soft::Order::kLess;
  }
  friend constexpr bool operator<=(Extended a, Extended b) noexcept { return a < b || a == b; }
  friend constexpr bool operator>(Extended a, Extended b) noexcept { return b < a; }
  friend constexpr bool operator>=(Extended a, Extended b) noexcept { return b <= a; }

  friend Extended Sqrt(Extended a) noexcept { return Of(soft::SquareRoot(a.bits())); }
#endif

  friend constexpr bool operator!=(Extended a, Extended b) noexcept { return !(a == b); }

#if defined(EVALO_EXTENDED_HARDWARE)
  friend constexpr bool IsNaN(Extended a) noexcept { return __builtin_isnan(a.value_); }
  friend constexpr bool IsInfinite(Extended a) noexcept { return __builtin_isinf(a.value_); }
  friend constexpr bool IsFinite(Extended a) noexcept { return __builtin_isfinite(a.value_); }
  friend constexpr Extended Abs(Extended a) noexcept { return Extended(__builtin_fabsl(a.value_)); }
#else
  friend constexpr bool IsNaN(Extended a) noexcept { return soft::IsNaN(a.bits()); }
  friend constexpr bool IsInfinite(Extended a) noexcept { return soft::IsInfinite(a.bits()); }
  friend constexpr bool IsFinite(Extended a) noexcept { return soft::IsFinite(a.bits()); }
  friend constexpr Extended Abs(Extended a) noexcept { return Of(soft::Abs(a.bits())); }
#endif

 private:
#if defined(EVALO_EXTENDED_HARDWARE)
  // The x87 memory image of a long double: significand, then sign and
  // exponent, then padding up to 16 bytes.
  struct X87Image {
    std::uint64_t significand;
    std::uint16_t signExponent;
    unsigned char padding[6];
  };
  static_assert(sizeof(X87Image) == sizeof(long double));

  constexpr explicit Extended(long double v) noexcept : value_(v) {}

  long double value_ = 0;
#else
  static constexpr Extended Of(soft::Bits b) noexcept { return FromBits(b.signExponent, b.significand); }
  constexpr soft::Bits bits() const noexcept { return {significand_, signExponent_}; }

  std::uint64_t significand_ = 0;
  std::uint16_t signExponent_ = 0;
#endif
};

}  // namespace evaluator
