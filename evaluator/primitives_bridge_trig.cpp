// Temporary: the trigonometric primitives from the C library's x87
// functions, until the library's own correctly rounded ones are built in
// (the build drops this file by itself then).
#include <cmath>

#include "evaluator/extended_x87.h"
#include "evaluator/primitives.h"

namespace evaluator {

Extended Sine(Extended x) noexcept { return FromLongDouble(std::sin(ToLongDouble(x))); }
Extended Cosine(Extended x) noexcept { return FromLongDouble(std::cos(ToLongDouble(x))); }
Extended Tangent(Extended x) noexcept { return FromLongDouble(std::tan(ToLongDouble(x))); }
Extended ArcTangent2(Extended y, Extended x) noexcept {
  return FromLongDouble(std::atan2(ToLongDouble(y), ToLongDouble(x)));
}

}  // namespace evaluator
