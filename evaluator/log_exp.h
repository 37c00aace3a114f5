#pragma once

// Entry to the logarithm and exponential primitives with the choice of
// evaluation exposed, so that tests can check the wide evaluation on its
// own: it decides only the rare arguments the fast one leaves open.

#include "evaluator/extended.h"

namespace evaluator::log_exp {

enum class Primitive { kLog2, kNaturalLog, kLnOnePlus, kExp, kExp2, kLog10Product };

enum class Path {
  kFastThenWide,  // what the primitives do
  kWideOnly,      // skips the fast evaluation
};

Extended Evaluate(Primitive primitive, Extended x, Path path) noexcept;

}  // namespace evaluator::log_exp
