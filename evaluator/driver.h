#pragma once

#include "interface/call_state.h"

namespace evaluator {

// Evaluates a normalized expression text, already cut at its first "=".
// Sets state.ErrorCode and writes its error text into state.OutputText.
double EvaluateExpression(const char* text, interface::CallState& state) noexcept;

}  // namespace evaluator
