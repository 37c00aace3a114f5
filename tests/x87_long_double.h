#pragma once

// Between Extended and the x87's own long double, whatever Extended's
// representation: the two share the 80-bit image. x86-64 only.
#if !defined(__x86_64__)
#error "the x87 long double exists on x86-64 only"
#endif

#include <cstdint>
#include <cstring>

#include "evaluator/extended.h"

namespace evaluator {

inline long double ToLongDouble(Extended e) noexcept {
  const std::uint64_t significand = e.Significand();
  const std::uint16_t signExponent = e.SignExponent();
  long double v = 0;
  std::memcpy(&v, &significand, sizeof significand);
  std::memcpy(reinterpret_cast<unsigned char*>(&v) + sizeof significand, &signExponent, sizeof signExponent);
  return v;
}

inline Extended FromLongDouble(long double v) noexcept {
  std::uint64_t significand;
  std::uint16_t signExponent;
  std::memcpy(&significand, &v, sizeof significand);
  std::memcpy(&signExponent, reinterpret_cast<const unsigned char*>(&v) + sizeof significand, sizeof signExponent);
  return Extended::FromBits(signExponent, significand);
}

}  // namespace evaluator
