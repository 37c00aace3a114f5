#include "evaluator/reducer.h"

#include "evaluator/operations.h"
#include "evaluator/token.h"
#include "interface/call_state.h"

namespace evaluator {

namespace {

struct Entry {
  std::uint8_t code;
  double value;
  bool IsNumber() const noexcept { return code == kNumberCode; }
  bool HasRank(double r) const noexcept { return !IsNumber() && value == r; }
};

// Positions below the bottom read as an end token.
Entry At(const TStack& stack, std::int32_t index) noexcept {
  if (index < 0) return {kEndCode, 0};
  return {stack.Codes[index], stack.Values[index]};
}

bool IsMatchingPair(std::uint8_t open, std::uint8_t close) noexcept {
  return (open == '(' && close == ')') || (open == '[' && close == ']') ||
         (open == '{' && close == '}');
}

enum class GroupOutcome { kFolded, kFailed };

// T0 is a close bracket: evaluate the group down to its open bracket on a
// stack of its own and leave its value as one number token.
GroupOutcome FoldGroup(TStack& stack, std::int32_t& errorCode) noexcept {
  const std::int32_t top = stack.Count - 1;
  std::int32_t open = top - 1;
  while (open >= 0 && !At(stack, open).HasRank(rank::kOpenBracket)) --open;
  if (open < 0 || !IsMatchingPair(stack.Codes[open], stack.Codes[top])) {
    errorCode = interface::error_code::kBracket;
    return GroupOutcome::kFailed;
  }
  TStack group;
  for (std::int32_t i = open + 1; i < top; ++i) group.Insert(-1, stack.Codes[i], stack.Values[i]);
  group.Insert(-1, kEndCode, rank::kEnd);
  for (std::int32_t i = open; i <= top; ++i) stack.Remove(-1);
  // A group never holds a bracket, so this recursion is one level deep.
  const double value = Reduce(group, errorCode);
  stack.Insert(-1, kNumberCode, value);
  return GroupOutcome::kFolded;
}

bool IsFunctionLike(const Entry& e) noexcept {
  return !e.IsNumber() &&
         (e.value == rank::kExponentMarker || e.value == rank::kFunction || e.value == rank::kTrigFunction);
}

}  // namespace

// The rules, tried in order on the top four entries T0 (top) .. T3.
double Reduce(TStack& stack, std::int32_t& errorCode) noexcept {
  while (stack.Count > 0) {
    const std::int32_t t = stack.Count - 1;
    const Entry t0 = At(stack, t), t1 = At(stack, t - 1), t2 = At(stack, t - 2), t3 = At(stack, t - 3);

    // Finish: one number and the end token.
    if (t0.code == kEndCode && stack.Count == 2 && t1.IsNumber()) {
      stack.Remove(-1);
      stack.Remove(-1);
      return t1.value;
    }
    if (t0.HasRank(rank::kCloseBracket)) {
      if (FoldGroup(stack, errorCode) == GroupOutcome::kFailed) return 0;
      continue;
    }
    if (t0.HasRank(rank::kOpenBracket) || t1.HasRank(rank::kOpenBracket)) return 0;

    // Function or exponent marker applied to the number after it.
    if (t1.IsNumber() && IsFunctionLike(t2)) {
      stack.Remove(t - 2);
      stack.Remove(t - 2);
      if (t2.value == rank::kExponentMarker) {
        // 2E3 becomes 2 * 10^3 through the binary rule.
        const double power = ApplyOperation(10, '^', t1.value, errorCode);
        stack.Insert(t - 2, kNumberCode, power);
        stack.Insert(t - 2, '*', rank::kMultiplicative);
      } else {
        stack.Insert(t - 2, kNumberCode, ApplyOperation(0, t2.code, t1.value, errorCode));
      }
      continue;
    }
    if (t1.IsNumber() && t2.IsNumber()) {
      errorCode = interface::error_code::kSyntax;
      return 0;
    }
    // Binary: the operator below waits while a stronger one stands on top.
    if (t1.IsNumber() && !t2.IsNumber() && t3.IsNumber()) {
      if (!(t2.value >= t0.value)) return 0;
      stack.Remove(t - 3);
      stack.Remove(t - 3);
      stack.Remove(t - 3);
      stack.Insert(t - 3, kNumberCode, ApplyOperation(t3.value, t2.code, t1.value, errorCode));
      continue;
    }
    // Sign: a + or - with no number before it.
    if (t1.IsNumber() && (t2.code == '+' || t2.code == '-')) {
      stack.Remove(t - 2);
      stack.Remove(t - 2);
      stack.Insert(t - 2, kNumberCode, t2.code == '-' ? -t1.value : t1.value);
      continue;
    }
    return 0;
  }
  return 0;
}

}  // namespace evaluator
