#pragma once

#include <cstdint>

#include "evaluator/outcome.h"
#include "evaluator/token.h"
#include "evaluator/tstack.h"

namespace evaluator {

// A token on its way onto the stack, with where it starts in the text.
// Laid out in 16 bytes, so that it is passed in registers.
struct Token {
  constexpr Token(std::uint8_t c, double v, std::uint32_t s) noexcept : value(v), start(s), code(c) {}
  double value;
  std::uint32_t start;
  std::uint8_t code;
};
static_assert(sizeof(Token) == 16);

// Folds the stack with token on top for as long as a rule applies, then
// leaves token on top (unless the finish rule took it). The stack must have
// room for it. Returns the value of the expression when the stack folds to
// one number and the end token, else 0. May raise Syntax, Bracket or Math,
// never clears a code. A place it records may end with the blanks before
// the next token.
double ReduceWith(TStack& stack, Token token, ErrorState& error) noexcept;

// The same fold for the stack as it stands, its top entry as the token.
double Reduce(TStack& stack, ErrorState& error) noexcept;

// True when the number at index stands at the bottom or just after an open
// bracket, with no number below that bracket: no rule folds it with what
// lies below, whatever arrives on top but an end token or a close bracket.
// The first number of an expression or a group is such a number.
inline bool NumberStandsAlone(const TStack& stack, std::int32_t index) noexcept {
  if (index == 0) return true;
  const std::uint8_t below = stack.Codes[index - 1];
  const bool open = below == '(' || below == '[' || below == '{';
  return open && (index == 1 || stack.Codes[index - 2] != kNumberCode);
}

// Pushes token and folds. A full stack refuses the token (Status 1) and is
// folded as it stands. Most pushes fold nothing: every rule but the finish
// and the group rule needs a number just below the top and something it can
// fold with below that, and those two need an end token or a close bracket
// on top; that is settled here without entering the rules.
inline double PushAndReduce(TStack& stack, Token token, ErrorState& error) noexcept {
  const std::int32_t n = stack.Count;
  if (n >= TStack::Capacity) {
    stack.Status = 1;  // refused: the driver reports the Stack error
    return Reduce(stack, error);
  }
  const bool endOrClose = token.code == kEndCode || token.code == ')' || token.code == ']' || token.code == '}';
  if (!endOrClose && (n == 0 || stack.Codes[n - 1] != kNumberCode || NumberStandsAlone(stack, n - 1))) {
    stack.Push(token.code, token.value, token.start);
    return 0;
  }
  return ReduceWith(stack, token, error);
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
