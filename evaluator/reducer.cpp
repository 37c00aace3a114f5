#include "evaluator/reducer.h"

#include "evaluator/keywords.h"
#include "evaluator/operations.h"

namespace evaluator {

namespace {

constexpr std::uint8_t kEndRank = rank::kEnd;
constexpr std::uint8_t kMarkerRank = rank::kExponentMarker;
constexpr std::uint8_t kTrigRank = rank::kTrigFunction;
constexpr std::uint8_t kOpenRank = rank::kOpenBracket;
constexpr std::uint8_t kCloseRank = rank::kCloseBracket;
static_assert(kRankOfCode[kEndCode] == kEndRank && kRankOfCode[kNumberCode] == 0);

std::uint8_t RankOf(std::uint8_t code) noexcept { return kRankOfCode[code]; }

// Ranks 7, 8 and 9; no token carries a rank between them and the others.
bool IsFunctionLikeRank(std::uint8_t r) noexcept {
  static_assert(rank::kExponentMarker + 1 == rank::kFunction && rank::kFunction + 1 == rank::kTrigFunction);
  static_assert(rank::kPower < rank::kExponentMarker && rank::kTrigFunction < rank::kOpenBracket);
  return r >= kMarkerRank && r <= kTrigRank;
}

// Every fold leaves its result at the index of its leftmost entry, whose
// start is the start of everything folded: only a number's code and value
// change there.
void StoreNumber(TStack& stack, std::int32_t index, double value) noexcept {
  stack.Codes[index] = kNumberCode;
  stack.Values[index] = value;
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
// T0 is held apart, the entries from base up lie below it: the whole stack,
// or a bracketed group folded where it stands (positions below base read
// as an end token). Every rule after the bracket rules needs a number in
// T1, so a T1 that is none stops at once. No fold but the group's changes
// T0, so T0 is stored only when the rules stop; each fold rewrites the
// entries below in place, and the stack reads afterwards exactly as the
// removals and insertions of the rule would leave it.
class Rules {
 public:
  Rules(TStack& stack, std::int32_t base, ErrorState& error) noexcept : stack_(stack), base_(base), error_(error) {}

  double Fold(Token top) noexcept {
    n_ = stack_.Count;
    if (top.code != kNumberCode) {
      const std::uint8_t rank = RankOf(top.code);
      if (rank == kCloseRank) {
        if (!FoldGroup(top)) return Keep(top);  // the group's value is T0 now
      } else if (rank == kOpenRank) {
        return Keep(top);
      }
    }
    return FoldBelow(top);
  }

 private:
  // The rules stop: T0 goes on top.
  double Keep(const Token& top) noexcept {
    stack_.Codes[n_] = top.code;
    stack_.Values[n_] = top.value;
    stack_.Starts[n_] = top.start;
    stack_.Count = n_ + 1;
    return 0;
  }

  // T0 is a close bracket: evaluate the group down to its open bracket as a
  // stack of its own and make its value T0, a number token in their place.
  // The close bracket becomes the group's end token: the rules never look
  // below the group's bottom, so this is the same as folding a copy. False,
  // with the Bracket error, when no open bracket of its kind is waiting.
  bool FoldGroup(Token& top) noexcept;

  // The rules below T0, the index of the entries' end in a local: the
  // compiler cannot keep a member in a register across the byte stores.
  double FoldBelow(const Token& top) noexcept {
    const bool numberOnTop = top.code == kNumberCode;
    const std::uint8_t r0 = RankOf(top.code);
    TStack& s = stack_;
    const std::int32_t base = base_;
    std::int32_t n = n_;
    const auto codeAt = [&](std::int32_t index) { return index >= base ? s.Codes[index] : kEndCode; };
    for (;;) {
      const std::int32_t t1 = n - 1;
      const std::uint8_t c1 = codeAt(t1);
      if (c1 != kNumberCode) break;
      if (top.code == kEndCode && t1 == base) {
        s.Count = base;
        return s.Values[base];
      }
      const std::uint8_t c2 = codeAt(t1 - 1);
      if (c2 == kNumberCode) {
        error_.Raise(error_code::kSyntax, {s.Starts[t1], top.start});  // the second of two numbers
        break;
      }
      const std::uint8_t r2 = RankOf(c2);
      const double right = s.Values[t1];
      if (IsFunctionLikeRank(r2)) {
        if (r2 == kMarkerRank) {
          // 2E3 becomes 2 * 10^3 through the binary rule: ..., times, r, T0.
          // The times stands where the marker stood: a fault in it is the E's.
          const double power = ApplyAt(10, '^', right, s, t1 - 1, error_);
          s.Codes[t1 - 1] = '*';
          s.Values[t1 - 1] = rank::kMultiplicative;
          StoreNumber(s, t1, power);
        } else {
          StoreNumber(s, t1 - 1, ApplyAt(0, c2, right, s, t1 - 1, error_));
          n = t1;
        }
        continue;
      }
      if (codeAt(t1 - 2) == kNumberCode) {
        // The operator below waits while a stronger one stands on top; T0's
        // value is compared whatever T0 is (an end token's 0 folds all, and
        // a number on top is compared as the number it is).
        const bool waits = numberOnTop ? !(static_cast<double>(r2) >= top.value) : r2 < r0;
        if (waits) break;
        StoreNumber(s, t1 - 2, ApplyAt(s.Values[t1 - 2], c2, right, s, t1 - 1, error_));
        n = t1 - 1;
        continue;
      }
      if (c2 == '+' || c2 == '-') {
        StoreNumber(s, t1 - 1, c2 == '-' ? -right : right);
        n = t1;
        continue;
      }
      break;
    }
    n_ = n;
    return Keep(top);
  }

  TStack& stack_;
  const std::int32_t base_;
  ErrorState& error_;
  std::int32_t n_ = 0;  // the entries below T0 end here
};

bool Rules::FoldGroup(Token& top) noexcept {
  const Token close = top;
  std::int32_t open = n_ - 1;
  while (open >= base_ && !IsOpenBracket(stack_.Codes[open])) --open;
  if (open < base_ || !IsMatchingPair(stack_.Codes[open], close.code)) {
    error_.Raise(error_code::kBracket, {close.start, close.start + 1});
    return false;
  }
  double value;
  if (n_ - open == 2 && stack_.Codes[open + 1] == kNumberCode) {
    // One number alone, the usual case once inner groups have folded: the
    // finish rule would return it at once.
    value = stack_.Values[open + 1];
  } else {
    // A group never holds a bracket, so this is one level deep.
    value = Rules(stack_, open + 1, error_).Fold({kEndCode, rank::kEnd, close.start});
    // Only the finish rule empties the group. Anything left (an operator
    // without its operand, an empty group) is malformed, as the same tokens
    // are at top level; a code the group set already stays.
    if (stack_.Count != open + 1 && error_.code == error_code::kNone)
      error_.Raise(error_code::kSyntax, WaitingTokenPlace(stack_, open + 1, {stack_.Starts[open], close.start + 1}));
  }
  top = {kNumberCode, value, stack_.Starts[open]};  // the open bracket's start is the group's
  n_ = open;
  return true;
}

}  // namespace

double ReduceWith(TStack& stack, Token token, ErrorState& error) noexcept {
  return Rules(stack, 0, error).Fold(token);
}

double Reduce(TStack& stack, ErrorState& error) noexcept {
  if (stack.Count == 0) return 0;
  const std::int32_t t = --stack.Count;
  return ReduceWith(stack, {stack.Codes[t], stack.Values[t], stack.Starts[t]}, error);
}

Place WaitingTokenPlace(const TStack& stack, std::int32_t base, Place fallback) noexcept {
  for (std::int32_t i = stack.Count - 1; i >= base; --i) {
    if (stack.Codes[i] == kNumberCode || stack.Codes[i] == kEndCode) continue;
    return {stack.Starts[i], i + 1 < stack.Count ? stack.Starts[i + 1] : fallback.end};
  }
  return fallback;
}

}  // namespace evaluator
