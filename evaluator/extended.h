#pragma once

#include <bit>
#include <cstdint>
#include <type_traits>

#include "evaluator/extended_soft.h"
#include "evaluator/x87_call_guard.h"

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
      : value_(Loaded(d)) {}
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
  constexpr explicit operator double() const noexcept { return static_cast<double>(Ready(value_)); }

  friend constexpr Extended operator+(Extended a, Extended b) noexcept { Ready(a, b); return Extended(a.value_ + b.value_); }
  friend constexpr Extended operator-(Extended a, Extended b) noexcept { Ready(a, b); return Extended(a.value_ - b.value_); }
  friend constexpr Extended operator*(Extended a, Extended b) noexcept { Ready(a, b); return Extended(a.value_ * b.value_); }
  friend constexpr Extended operator/(Extended a, Extended b) noexcept { Ready(a, b); return Extended(a.value_ / b.value_); }
  // Changing the sign rounds nothing and raises nothing.
  friend constexpr Extended operator-(Extended a) noexcept { return Extended(-a.value_); }

  // NaN compares false with everything, itself included; -0 == +0.
  friend constexpr bool operator==(Extended a, Extended b) noexcept { Ready(a, b); return a.value_ == b.value_; }
  friend constexpr bool operator<(Extended a, Extended b) noexcept { Ready(a, b); return a.value_ < b.value_; }
  friend constexpr bool operator<=(Extended a, Extended b) noexcept { Ready(a, b); return a.value_ <= b.value_; }
  friend constexpr bool operator>(Extended a, Extended b) noexcept { Ready(a, b); return a.value_ > b.value_; }
  friend constexpr bool operator>=(Extended a, Extended b) noexcept { Ready(a, b); return a.value_ >= b.value_; }

  friend Extended Sqrt(Extended a) noexcept { return Extended(__builtin_sqrtl(Ready(a.value_))); }
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
  // The classification may compare on the x87, which raises the invalid
  // flag for a signalling NaN; the absolute value raises nothing.
  friend constexpr bool IsNaN(Extended a) noexcept { return __builtin_isnan(Ready(a.value_)); }
  friend constexpr bool IsInfinite(Extended a) noexcept { return __builtin_isinf(Ready(a.value_)); }
  friend constexpr bool IsFinite(Extended a) noexcept { return __builtin_isfinite(Ready(a.value_)); }
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

  // Every x87 instruction that rounds or can raise a flag takes its operands
  // from these, which engage the call's x87 guard first. The operands pass
  // through an asm that reads the guard, so the instruction depends on the
  // engaging and cannot be scheduled before it; loads of extended constants
  // and sign changes (which neither round nor raise) need no such care. Constant evaluation
  // has no x87 to guard.
  static constexpr long double Ready(long double v) noexcept {
    if (!std::is_constant_evaluated()) {
      x87::Ready();
      asm volatile("" : "+t"(v) : "m"(x87::guard.phase));
    }
    return v;
  }
  static constexpr void Ready(Extended& a, Extended& b) noexcept {
    if (!std::is_constant_evaluated()) {
      x87::Ready();
      asm volatile("" : "+t"(a.value_), "+u"(b.value_) : "m"(x87::guard.phase));
    }
  }
  // Loading a double can raise the invalid (signalling NaN) and denormal
  // flags, so it waits for the guard too.
  static constexpr double Loaded(double d) noexcept {
    if (!std::is_constant_evaluated()) {
      x87::Ready();
      asm volatile("" : "+m"(d) : "m"(x87::guard.phase));
    }
    return d;
  }

  long double value_ = 0;
#else
  static constexpr Extended Of(soft::Bits b) noexcept { return FromBits(b.signExponent, b.significand); }
  constexpr soft::Bits bits() const noexcept { return {significand_, signExponent_}; }

  std::uint64_t significand_ = 0;
  std::uint16_t signExponent_ = 0;
#endif
};

}  // namespace evaluator
