#pragma once

#include <cstdint>

#include "evaluator/tstack.h"

namespace evaluator {

// Folds the top of the stack for as long as a rule applies. Returns the
// value of the expression when the stack folds to one number and the end
// token, else 0. May set errorCode (Syntax, Bracket, Math), never clears it.
double Reduce(TStack& stack, std::int32_t& errorCode) noexcept;

}  // namespace evaluator
