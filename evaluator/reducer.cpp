#include "evaluator/reducer.h"

#include "evaluator/operations.h"
#include "evaluator/token.h"

namespace evaluator {

namespace {

struct Entry {
  std::uint8_t code;
  double value;
  bool IsNumber() const noexcept { return code == kNumberCode; }
  bool HasRank(double r) const noexcept { return !IsNumber() && value == r; }
};

// The entries from base up form the stack being reduced: the whole stack,
// or a bracketed group folded where it stands. Positions below base read as
// an end token.
Entry At(const TStack& stack, std::int32_t base, std::int32_t index) noexcept {
  if (index < base) return {kEndCode, rank::kEnd};
  return {stack.Codes[index], stack.Values[index]};
}

// Every fold leaves its result at the index of its leftmost entry, whose
// start is the start of everything folded: only a number's code and value
// change there.
void StoreNumber(TStack& stack, std::int32_t index, double value) noexcept {
  stack.Codes[index] = kNumberCode;
  stack.Values[index] = value;
}

// Moves T0 (read as top, at from) down to index to, its start with it.
void MoveTop(TStack& stack, const Entry& top, std::int32_t from, std::int32_t to) noexcept {
  stack.Codes[to] = top.code;
  stack.Values[to] = top.value;
  stack.Starts[to] = stack.Starts[from];
}

// The entry at index, up to where the entry above it starts (the driver
// trims the blanks between).
Place PlaceOf(const TStack& stack, std::int32_t index) noexcept {
  return {stack.Starts[index], stack.Starts[index + 1]};
}

// ApplyOperation with the index of the operator or function: a fault is
// reported there.
double Apply(double left, std::uint8_t code, double right, const TStack& stack, std::int32_t at,
             ErrorState& error) noexcept {
  const std::int32_t before = error.code;
  const double result = ApplyOperation(left, code, right, error.code);
  if (error.code != before) error.place = PlaceOf(stack, at);  // a new code, raised here
  return result;
}

bool IsMatchingPair(std::uint8_t open, std::uint8_t close) noexcept {
  return (open == '(' && close == ')') || (open == '[' && close == ']') ||
         (open == '{' && close == '}');
}

// Ranks 7, 8 and 9; no token carries a rank between them and the others.
bool IsFunctionLike(const Entry& e) noexcept {
  static_assert(rank::kExponentMarker + 1 == rank::kFunction && rank::kFunction + 1 == rank::kTrigFunction);
  static_assert(rank::kPower < rank::kExponentMarker && rank::kTrigFunction < rank::kOpenBracket);
  return !e.IsNumber() && e.value >= rank::kExponentMarker && e.value <= rank::kTrigFunction;
}

double ReduceFrom(TStack& stack, std::int32_t base, ErrorState& error) noexcept;

enum class GroupOutcome { kFolded, kFailed };

// T0 is a close bracket: evaluate the group down to its open bracket as a
// stack of its own and leave its value as one number token in their place.
// The group is folded where it stands, with the close bracket turned into
// its end token: the rules never look below the group's bottom (that reads
// as an end token), so this is the same as folding a copy.
GroupOutcome FoldGroup(TStack& stack, std::int32_t base, ErrorState& error) noexcept {
  const std::int32_t top = stack.Count - 1;
  std::int32_t open = top - 1;
  while (open >= base && !At(stack, base, open).HasRank(rank::kOpenBracket)) --open;
  if (open < base || !IsMatchingPair(stack.Codes[open], stack.Codes[top])) {
    error.Raise(error_code::kBracket, {stack.Starts[top], stack.Starts[top] + 1});
    return GroupOutcome::kFailed;
  }
  double value;
  if (top - open == 2 && stack.Codes[open + 1] == kNumberCode) {
    // One number alone, the usual case once inner groups have folded: the
    // finish rule would return it at once.
    value = stack.Values[open + 1];
  } else {
    // A group never holds a bracket, so this recursion is one level deep.
    stack.Codes[top] = kEndCode;
    stack.Values[top] = rank::kEnd;
    const std::uint32_t close = stack.Starts[top];
    value = ReduceFrom(stack, open + 1, error);
    // Only the finish rule empties the group. Anything left (an operator
    // without its operand, an empty group) is malformed, as the same tokens
    // are at top level; a code the group set already stays.
    if (stack.Count != open + 1 && error.code == error_code::kNone)
      error.Raise(error_code::kSyntax, WaitingTokenPlace(stack, open + 1, {stack.Starts[open], close + 1}));
  }
  StoreNumber(stack, open, value);  // the open bracket's start is the group's
  stack.Count = open + 1;
  return GroupOutcome::kFolded;
}

// The rules, tried in order on the top four entries T0 (top) .. T3:
//   finish    T0 end, one number below it, nothing else: return the number
//   group     T0 a close bracket: fold the bracketed group
//   stop      T0 or T1 an open bracket
//   function  T1 a number, T2 a function or the exponent marker: apply it
//   syntax    T1 and T2 numbers: two numbers side by side
//   binary    T1 and T3 numbers, T2 an operator: fold unless T0 binds tighter
//   sign      T1 a number, T2 a + or - with no number below it
//   stop      anything else
// Every rule after the bracket rules needs a number in T1, so a T1 that is
// none stops at once. Each fold rewrites the entries in place: the stack
// reads afterwards exactly as the removals and insertions of the rule would
// leave it.
double ReduceFrom(TStack& stack, std::int32_t base, ErrorState& error) noexcept {
  while (stack.Count > base) {
    const std::int32_t t = stack.Count - 1;
    const Entry t0 = At(stack, base, t);
    const Entry t1 = At(stack, base, t - 1);
    if (!t0.IsNumber()) {
      if (t0.code == kEndCode && stack.Count - base == 2 && t1.IsNumber()) {
        stack.Count = base;
        return t1.value;
      }
      if (t0.value == rank::kCloseBracket) {
        if (FoldGroup(stack, base, error) == GroupOutcome::kFailed) return 0;
        continue;
      }
      if (t0.value == rank::kOpenBracket) return 0;
    }
    if (!t1.IsNumber()) return 0;

    const Entry t2 = At(stack, base, t - 2);
    if (t2.IsNumber()) {
      error.Raise(error_code::kSyntax, PlaceOf(stack, t - 1));  // the second of two numbers
      return 0;
    }
    if (IsFunctionLike(t2)) {
      if (t2.value == rank::kExponentMarker) {
        // 2E3 becomes 2 * 10^3 through the binary rule: ..., times, r, T0.
        // The times stands where the marker stood: a fault in it is the E's.
        const double power = Apply(10, '^', t1.value, stack, t - 2, error);
        stack.Codes[t - 2] = '*';
        stack.Values[t - 2] = rank::kMultiplicative;
        StoreNumber(stack, t - 1, power);
      } else {
        StoreNumber(stack, t - 2, Apply(0, t2.code, t1.value, stack, t - 2, error));
        MoveTop(stack, t0, t, t - 1);
        stack.Count = t;
      }
      continue;
    }
    const Entry t3 = At(stack, base, t - 3);
    if (t3.IsNumber()) {
      // The operator below waits while a stronger one stands on top; T0's
      // value is compared whatever T0 is (an end token's 0 folds all).
      if (!(t2.value >= t0.value)) return 0;
      StoreNumber(stack, t - 3, Apply(t3.value, t2.code, t1.value, stack, t - 2, error));
      MoveTop(stack, t0, t, t - 2);
      stack.Count = t - 1;
      continue;
    }
    if (t2.code == '+' || t2.code == '-') {
      StoreNumber(stack, t - 2, t2.code == '-' ? -t1.value : t1.value);
      MoveTop(stack, t0, t, t - 1);
      stack.Count = t;
      continue;
    }
    return 0;
  }
  return 0;
}

}  // namespace

double ReduceByRules(TStack& stack, ErrorState& error) noexcept { return ReduceFrom(stack, 0, error); }

Place WaitingTokenPlace(const TStack& stack, std::int32_t base, Place fallback) noexcept {
  for (std::int32_t i = stack.Count - 1; i >= base; --i) {
    if (stack.Codes[i] == kNumberCode || stack.Codes[i] == kEndCode) continue;
    return {stack.Starts[i], i + 1 < stack.Count ? stack.Starts[i + 1] : fallback.end};
  }
  return fallback;
}

}  // namespace evaluator
