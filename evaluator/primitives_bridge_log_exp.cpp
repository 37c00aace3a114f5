// Temporary: the logarithms and exponentials from the C library's x87
// functions, until the library's own correctly rounded ones are built in
// (the build drops this file by itself then).
#include <cmath>

#include "evaluator/extended_constants.h"
#include "evaluator/extended_x87.h"
#include "evaluator/primitives.h"

namespace evaluator {

Extended Log2(Extended x) noexcept { return FromLongDouble(std::log2(ToLongDouble(x))); }
Extended NaturalLog(Extended x) noexcept { return FromLongDouble(std::log(ToLongDouble(x))); }
Extended LnOnePlus(Extended y) noexcept { return FromLongDouble(std::log1p(ToLongDouble(y))); }
Extended Exp(Extended x) noexcept { return FromLongDouble(std::exp(ToLongDouble(x))); }
Extended Exp2(Extended x) noexcept { return FromLongDouble(std::exp2(ToLongDouble(x))); }

// Two roundings here, where the library's own computes the product with one.
Extended Log10Product(Extended x) noexcept {
  return FromLongDouble(ToLongDouble(constants::kLog10Of2) * std::log2(ToLongDouble(x)));
}

}  // namespace evaluator
