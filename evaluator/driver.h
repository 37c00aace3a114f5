#pragma once

#include "evaluator/outcome.h"

namespace evaluator {

// Evaluates a normalized expression text, already cut at its first "=":
// the value reached, the error code, and for an error the place in the text
// of the token where it arose.
Outcome EvaluateExpression(const char* text) noexcept;

}  // namespace evaluator
