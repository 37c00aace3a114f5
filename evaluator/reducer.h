#pragma once

#include <cstdint>

#include "evaluator/keywords.h"
#include "evaluator/operations.h"
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

inline bool IsOpenBracket(std::uint8_t code) noexcept { return code == '(' || code == '[' || code == '{'; }
inline bool IsCloseBracket(std::uint8_t code) noexcept { return code == ')' || code == ']' || code == '}'; }
inline bool IsMatchingPair(std::uint8_t open, std::uint8_t close) noexcept {
  return (open == '(' && close == ')') || (open == '[' && close == ']') || (open == '{' && close == '}');
}

// True when the number at index stands at the bottom or just after an open
// bracket, with no number below that bracket: no rule folds it with what
// lies below, whatever arrives on top but an end token or a close bracket.
// The first number of an expression or a group is such a number.
inline bool NumberStandsAlone(const TStack& stack, std::int32_t index) noexcept {
  if (index == 0) return true;
  return IsOpenBracket(stack.Codes[index - 1]) && (index == 1 || stack.Codes[index - 2] != kNumberCode);
}

// ApplyOperation for the operator or function at index `at`, whose place
// runs up to the start of its right operand: a fault is reported there.
inline double ApplyAt(double left, std::uint8_t code, double right, const TStack& stack, std::int32_t at,
                      ErrorState& error) noexcept {
  const std::int32_t before = error.code;
  const double result = ApplyOperation(left, code, right, error.code);
  if (error.code != before) error.place = {stack.Starts[at], stack.Starts[at + 1]};  // a new code, raised here
  return result;
}

// Pushes token and folds. A full stack refuses the token (Status 1) and is
// folded as it stands. Most pushes fold nothing: every rule but the finish
// and the group rule needs a number just below the top and something it can
// fold with below that, and those two need an end token or a close bracket
// on top; that is settled here without entering the rules.
// An operator or the end token over number, operator, number meets the
// binary rule first of all the rules, and that is most folds: they are made
// here for as long as no other rule could apply, and the finish rule after
// them. The rules take over from the stack as these folds leave it.
inline double PushAndReduce(TStack& stack, Token token, ErrorState& error) noexcept {
  std::int32_t n = stack.Count;
  if (n >= TStack::Capacity) {
    stack.Status = 1;  // refused: the driver reports the Stack error
    return Reduce(stack, error);
  }
  const bool endOrClose = token.code == kEndCode || IsCloseBracket(token.code);
  if (!endOrClose && (n == 0 || stack.Codes[n - 1] != kNumberCode || NumberStandsAlone(stack, n - 1))) {
    stack.Push(token.code, token.value, token.start);
    return 0;
  }
  const std::uint8_t r0 = kRankOfCode[token.code];
  if (token.code != kNumberCode && r0 <= rank::kPower) {
    for (; n >= 3 && stack.Codes[n - 1] == kNumberCode && stack.Codes[n - 3] == kNumberCode; n -= 2) {
      const std::uint8_t c2 = stack.Codes[n - 2];
      const std::uint8_t r2 = kRankOfCode[c2];
      if (r2 < rank::kAdditive || r2 > rank::kPower) break;  // no binary operator: the rules decide
      if (r2 < r0) {  // the operator below waits for the stronger one on top
        stack.Count = n;
        stack.Push(token.code, token.value, token.start);
        return 0;
      }
      stack.Values[n - 3] = ApplyAt(stack.Values[n - 3], c2, stack.Values[n - 1], stack, n - 2, error);
    }
    stack.Count = n;
    // A number left alone on top ends the expression when it is all there
    // is, and otherwise waits under the operator, as on arrival.
    if (n >= 1 && stack.Codes[n - 1] == kNumberCode && NumberStandsAlone(stack, n - 1)) {
      if (token.code == kEndCode) {
        if (n == 1) {
          stack.Count = 0;
          return stack.Values[0];
        }
      } else {
        stack.Push(token.code, token.value, token.start);
        return 0;
      }
    }
  }
  return ReduceWith(stack, token, error);
}

// The place of the topmost operator, sign or function still waiting among
// the entries from base up (the end token aside), or fallback when there is
// none. This is where an expression or a group that does not fold is wrong.
// The place runs up to where the entry above starts, or to fallback.end for
// the top entry.
Place WaitingTokenPlace(const TStack& stack, std::int32_t base, Place fallback) noexcept;

}  // namespace evaluator
