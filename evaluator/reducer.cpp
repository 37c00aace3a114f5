#include "evaluator/reducer.h"

#include <array>

#include "evaluator/keywords.h"
#include "evaluator/operations.h"

namespace evaluator {

namespace {

// Every token but a number carries its rank, and the rank follows from the
// code alone: the rules read it from this table as a small integer instead
// of comparing the doubles the tokens carry. Code 0, the end token and what
// lies below a stack's base, has rank 0.
constexpr std::array<std::uint8_t, 256> MakeRanks() noexcept {
  std::array<std::uint8_t, 256> ranks{};
  for (const char b : std::string_view("+-*^/(){}[]"))
    ranks[static_cast<std::uint8_t>(b)] = static_cast<std::uint8_t>(OperatorRank(b));
  for (const Keyword& k : kKeywords)
    if (k.code != kNumberCode) ranks[k.code] = static_cast<std::uint8_t>(k.value);
  return ranks;
}
constexpr std::array<std::uint8_t, 256> kRanks = MakeRanks();

constexpr std::uint8_t kEndRank = rank::kEnd;
constexpr std::uint8_t kMarkerRank = rank::kExponentMarker;
constexpr std::uint8_t kTrigRank = rank::kTrigFunction;
constexpr std::uint8_t kOpenRank = rank::kOpenBracket;
constexpr std::uint8_t kCloseRank = rank::kCloseBracket;
static_assert(kRanks[kEndCode] == kEndRank && kRanks[kNumberCode] == 0);

std::uint8_t RankOf(std::uint8_t code) noexcept { return kRanks[code]; }

// Ranks 7, 8 and 9; no token carries a rank between them and the others.
bool IsFunctionLikeRank(std::uint8_t r) noexcept {
  static_assert(rank::kExponentMarker + 1 == rank::kFunction && rank::kFunction + 1 == rank::kTrigFunction);
  static_assert(rank::kPower < rank::kExponentMarker && rank::kTrigFunction < rank::kOpenBracket);
  return r >= kMarkerRank && r <= kTrigRank;
}

bool IsOpenBracket(std::uint8_t code) noexcept { return code == '(' || code == '[' || code == '{'; }

// The entries from base up form the stack being reduced: the whole stack,
// or a bracketed group folded where it stands. Positions below base read as
// an end token.
std::uint8_t CodeAt(const TStack& stack, std::int32_t base, std::int32_t index) noexcept {
  return index >= base ? stack.Codes[index] : kEndCode;
}

// Every fold leaves its result at the index of its leftmost entry, whose
// start is the start of everything folded: only a number's code and value
// change there.
void StoreNumber(TStack& stack, std::int32_t index, double value) noexcept {
  stack.Codes[index] = kNumberCode;
  stack.Values[index] = value;
}

// Moves T0 (at from) down to index to, its start with it.
void MoveTop(TStack& stack, std::int32_t from, std::int32_t to) noexcept {
  stack.Codes[to] = stack.Codes[from];
  stack.Values[to] = stack.Values[from];
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
  while (open >= base && !IsOpenBracket(stack.Codes[open])) --open;
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
// leave it. Every fold but the group's keeps T0 on top, so T0 is read once
// and the rules that test T0 alone are settled before the loop; the top
// index lives in a local and is written back when the rules stop.
double ReduceFrom(TStack& stack, std::int32_t base, ErrorState& error) noexcept {
  if (stack.Count <= base) return 0;
  std::uint8_t c0 = stack.Codes[stack.Count - 1];
  if (c0 != kNumberCode) {
    const std::uint8_t r0 = RankOf(c0);
    if (r0 == kCloseRank) {
      if (FoldGroup(stack, base, error) == GroupOutcome::kFailed) return 0;
      c0 = kNumberCode;  // the group's value stands on top now
    } else if (r0 == kOpenRank) {
      // The finish rule needs an end token on top, so it cannot apply.
      return 0;
    }
  }
  const bool numberOnTop = c0 == kNumberCode;
  const std::uint8_t r0 = RankOf(c0);
  const double v0 = stack.Values[stack.Count - 1];
  std::int32_t t = stack.Count - 1;
  for (;;) {
    const std::uint8_t c1 = CodeAt(stack, base, t - 1);
    if (c0 == kEndCode && t - 1 == base && c1 == kNumberCode) {
      stack.Count = base;
      return stack.Values[base];
    }
    if (c1 != kNumberCode) break;

    const std::uint8_t c2 = CodeAt(stack, base, t - 2);
    if (c2 == kNumberCode) {
      error.Raise(error_code::kSyntax, PlaceOf(stack, t - 1));  // the second of two numbers
      break;
    }
    const std::uint8_t r2 = RankOf(c2);
    const double right = stack.Values[t - 1];
    if (IsFunctionLikeRank(r2)) {
      if (r2 == kMarkerRank) {
        // 2E3 becomes 2 * 10^3 through the binary rule: ..., times, r, T0.
        // The times stands where the marker stood: a fault in it is the E's.
        const double power = Apply(10, '^', right, stack, t - 2, error);
        stack.Codes[t - 2] = '*';
        stack.Values[t - 2] = rank::kMultiplicative;
        StoreNumber(stack, t - 1, power);
      } else {
        StoreNumber(stack, t - 2, Apply(0, c2, right, stack, t - 2, error));
        MoveTop(stack, t, t - 1);
        t -= 1;
      }
      continue;
    }
    if (CodeAt(stack, base, t - 3) == kNumberCode) {
      // The operator below waits while a stronger one stands on top; T0's
      // value is compared whatever T0 is (an end token's 0 folds all, and a
      // number on top is compared as the number it is).
      const bool waits = numberOnTop ? !(static_cast<double>(r2) >= v0) : r2 < r0;
      if (waits) break;
      StoreNumber(stack, t - 3, Apply(stack.Values[t - 3], c2, right, stack, t - 2, error));
      MoveTop(stack, t, t - 2);
      t -= 2;
      continue;
    }
    if (c2 == '+' || c2 == '-') {
      StoreNumber(stack, t - 2, c2 == '-' ? -right : right);
      MoveTop(stack, t, t - 1);
      t -= 1;
      continue;
    }
    break;
  }
  stack.Count = t + 1;
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
