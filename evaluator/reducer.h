#pragma once

#include <cstdint>

#include "evaluator/outcome.h"
#include "evaluator/token.h"
#include "evaluator/tstack.h"

namespace evaluator {

// The rules themselves; Reduce below is the way in.
double ReduceByRules(TStack& stack, ErrorState& error) noexcept;

// True when no rule can change the stack: every rule but the finish and the
// group rule needs a number just below the top, and those two need an end
// token or a close bracket on top. This is the case after most pushes, so
// it is settled here without entering the rules.
inline bool NothingToFold(const TStack& stack) noexcept {
  const std::int32_t t = stack.Count - 1;
  if (t < 0) return true;
  if (t >= 1 && stack.Codes[t - 1] == kNumberCode) return false;
  const std::uint8_t top = stack.Codes[t];
  return top == kNumberCode || (top != kEndCode && stack.Values[t] != rank::kCloseBracket);
}

// Folds the top of the stack for as long as a rule applies. Returns the
// value of the expression when the stack folds to one number and the end
// token, else 0. May raise Syntax, Bracket or Math, never clears a code.
// A place it records may end with the blanks before the next token.
inline double Reduce(TStack& stack, ErrorState& error) noexcept {
  return NothingToFold(stack) ? 0 : ReduceByRules(stack, error);
}

inline bool IsMatchingPair(std::uint8_t open, std::uint8_t close) noexcept {
  return (open == '(' && close == ')') || (open == '[' && close == ']') || (open == '{' && close == '}');
}

// The place of the topmost operator, sign or function still waiting among
// the entries from base up (the end token aside), or fallback when there is
// none. This is where an expression or a group that does not fold is wrong.
// The place runs up to where the entry above starts, or to fallback.end for
// the top entry.
Place WaitingTokenPlace(const TStack& stack, std::int32_t base, Place fallback) noexcept;

}  // namespace evaluator
