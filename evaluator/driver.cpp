#include "evaluator/driver.h"

#include <array>
#include <cstring>

#include "evaluator/decimal_literal.h"
#include "evaluator/keywords.h"
#include "evaluator/number_text.h"
#include "evaluator/reducer.h"
#include "evaluator/token.h"
#include "evaluator/tstack.h"
#include "evaluator/upper_case.h"

namespace evaluator {

namespace {

using error_code::kBracket;
using error_code::kNone;
using error_code::kStack;
using error_code::kSyntax;

// The scanner works on single bytes, trail bytes included: a trail byte
// that equals "[" ends a word in the middle of its character. "=" ends the
// text like its NUL: everything from the first "=" on is ignored, and 0x3D
// is never a trail byte.
enum class ByteClass : std::uint8_t { kWord, kEnd, kBlank, kOpenBracket, kCloseBracket, kOperator, kNumber };

constexpr std::array<ByteClass, 256> MakeByteClasses() {
  std::array<ByteClass, 256> classes{};
  classes['\0'] = ByteClass::kEnd;
  classes['='] = ByteClass::kEnd;
  classes[' '] = ByteClass::kBlank;
  for (const char b : std::string_view("+-*^/")) classes[static_cast<std::uint8_t>(b)] = ByteClass::kOperator;
  for (const char b : std::string_view("([{")) classes[static_cast<std::uint8_t>(b)] = ByteClass::kOpenBracket;
  for (const char b : std::string_view(")]}")) classes[static_cast<std::uint8_t>(b)] = ByteClass::kCloseBracket;
  for (char b = '0'; b <= '9'; ++b) classes[static_cast<std::uint8_t>(b)] = ByteClass::kNumber;
  classes['.'] = ByteClass::kNumber;
  return classes;
}
constexpr std::array<ByteClass, 256> kByteClasses = MakeByteClasses();

ByteClass ClassOf(char b) noexcept { return kByteClasses[static_cast<std::uint8_t>(b)]; }

// The digit a byte stands for, or a value above 9 for any other byte.
unsigned DigitOf(char b) noexcept { return static_cast<unsigned>(static_cast<std::uint8_t>(b)) - '0'; }

// One evaluation's scanning state.
struct Scan {
  explicit Scan(const char* workingText) noexcept : text(workingText) {}
  const char* const text;
  TStack stack;
  ErrorState error;
  int bracketDepth = 0;
  const char* refused = nullptr;  // the start of the token the full stack refused

  std::uint32_t OffsetOf(const char* p) const noexcept { return static_cast<std::uint32_t>(p - text); }
  Place PlaceOf(const char* start, const char* end) const noexcept { return {OffsetOf(start), OffsetOf(end)}; }

  void PushNumber(double value, const char* start) noexcept {
    PushAndReduce(stack, {kNumberCode, value, OffsetOf(start)}, error);
  }
};

// <literal> = { digit | "." | "," }, the literals the quick scan in
// ScanNumber leaves: commas, more than one point, or a value it cannot
// settle with one division.
const char* ScanLiteral(Scan& scan, const char* start) noexcept {
  const char* p = start;
  int points = 0;
  bool commas = false;
  for (;; ++p) {
    if (*p == '.') {
      ++points;
    } else if (*p == ',') {
      commas = true;
    } else if (DigitOf(*p) > 9) {
      break;
    }
  }
  const std::string_view literal(start, static_cast<std::size_t>(p - start));
  // Digits with at most one point always pass the plain-number test; only
  // commas need its rules. A literal holds no blank or sign.
  if (points > 1 || (commas && !IsNumberText(literal))) {
    scan.error.Raise(kSyntax, scan.PlaceOf(start, p));
    return p;
  }
  const std::int32_t before = scan.error.code;
  const double value = ConvertLiteral(literal, commas, scan.error.code);
  if (scan.error.code != before) scan.error.place = scan.PlaceOf(start, p);  // beyond the double range
  scan.PushNumber(value, start);
  return p;
}

// The usual literal, digits with at most one point, is read and converted
// in one pass; up to 19 digits cannot overflow the 64-bit whole number.
[[gnu::always_inline]] inline const char* ScanNumber(Scan& scan, const char* start) noexcept {
  const char* p = start;
  std::uint64_t mantissa = 0;
  unsigned digit;
  while ((digit = DigitOf(*p)) <= 9) {
    mantissa = mantissa * 10 + digit;
    ++p;
  }
  std::size_t decimals = 0;
  std::size_t digits = static_cast<std::size_t>(p - start);
  if (*p == '.') {
    const char* fraction = ++p;
    while ((digit = DigitOf(*p)) <= 9) {
      mantissa = mantissa * 10 + digit;
      ++p;
    }
    decimals = static_cast<std::size_t>(p - fraction);
    digits += decimals;
  }
  double value;
  if (*p == '.' || *p == ',' || digits > 19 || !ExactQuotient(mantissa, decimals, value)) return ScanLiteral(scan, start);
  scan.PushNumber(value, start);
  return p;
}

// a-z to A-Z, every other byte as it is: a word of such bytes is upper-cased
// as it is read.
std::uint8_t AsciiUpper(std::uint8_t b) noexcept {
  return static_cast<std::uint8_t>(b - (static_cast<std::uint8_t>(b - 'a') < 26 ? 0x20 : 0));
}

// <word> = any run of bytes up to an operator, a digit, "." or a blank.
// Reading the caller's bytes, a word byte outside printable ASCII would
// need normalizing first: nullptr then, and nothing pushed.
template <bool kCallerText>
const char* ScanWord(Scan& scan, const char* p) noexcept {
  const char* start = p;
  std::uint64_t key = 0;
  std::uint8_t anyHigh = 0;
  bool anyControl = false;
  for (; ClassOf(*p) == ByteClass::kWord; ++p) {
    const auto b = static_cast<std::uint8_t>(*p);
    key = key << 8 | AsciiUpper(b);
    anyHigh |= b;
    if constexpr (kCallerText) anyControl |= b < 0x20;
  }
  if (kCallerText && (anyHigh >= 0x80 || anyControl)) return nullptr;
  const auto length = static_cast<std::size_t>(p - start);
  const Keyword* keyword = nullptr;
  if (length <= kLongestKeyword) {
    if (anyHigh < 0x80) {
      keyword = LookUpKeyword(key);
    } else {
      // Double-byte characters: upper-cased by character, a trail byte with them.
      char upper[kLongestKeyword];
      std::memcpy(upper, start, length);
      UpperCaseWord(upper, length);
      keyword = LookUpKeyword({upper, length});
    }
  }
  if (keyword == nullptr) {
    scan.error.Raise(kSyntax, scan.PlaceOf(start, p));
    return p;
  }
  // Keyword tokens wait for the next reduction.
  scan.stack.Push(keyword->code, keyword->value, scan.OffsetOf(start));
  // SINΠ and its kind: the function is the letters, π the last character.
  if (keyword->thenPi) scan.stack.Push(kNumberCode, kPi, scan.OffsetOf(p - 2));
  return p;
}

// An operator or a bracket of either kind, when a run of brackets below
// cannot take it. Inlined into the scanning loop: an operator is half of
// all tokens, and the call costs about as much as the usual push.
[[gnu::always_inline]] inline void ScanOperator(Scan& scan, const char* p, int depthChange) noexcept {
  scan.bracketDepth += depthChange;
  PushAndReduce(scan.stack, {static_cast<std::uint8_t>(*p), static_cast<double>(kRankOfCode[static_cast<std::uint8_t>(*p)]), scan.OffsetOf(p)}, scan.error);
}

// A run of open brackets. An open bracket on top never folds (the rules
// stop at once), so none is reduced. The bracket that finds the stack full
// is left to ScanOperator.
[[gnu::always_inline]] inline const char* ScanOpenBrackets(Scan& scan, const char* p) noexcept {
  TStack& stack = scan.stack;
  std::int32_t n = stack.Count;
  const char* const first = p;
  for (; n < TStack::Capacity && ClassOf(*p) == ByteClass::kOpenBracket; ++n, ++p) {
    stack.Values[n] = rank::kOpenBracket;
    stack.Starts[n] = scan.OffsetOf(p);
    stack.Codes[n] = static_cast<std::uint8_t>(*p);
  }
  stack.Count = n;
  scan.bracketDepth += static_cast<int>(p - first);
  return p == first ? (ScanOperator(scan, p, +1), p + 1) : p;
}

// A run of close brackets. One that closes a group of one number, the usual
// case once inner groups have folded, leaves that number where the open
// bracket stood without entering the rules; the first that does not is left
// to ScanOperator, on its own.
[[gnu::always_inline]] inline const char* ScanCloseBrackets(Scan& scan, const char* p) noexcept {
  TStack& stack = scan.stack;
  std::int32_t n = stack.Count;
  const char* const first = p;
  bool numberBelow = false;
  if (n < TStack::Capacity) {  // each close bracket is pushed first: a full stack refuses it
    while (n >= 2 && stack.Codes[n - 1] == kNumberCode &&
           IsMatchingPair(stack.Codes[n - 2], static_cast<std::uint8_t>(*p))) {
      stack.Values[n - 2] = stack.Values[n - 1];
      stack.Codes[n - 2] = kNumberCode;
      --n;
      ++p;
      numberBelow = n >= 2 && stack.Codes[n - 2] == kNumberCode;
      if (numberBelow || ClassOf(*p) != ByteClass::kCloseBracket) break;
    }
  }
  if (p == first) {
    ScanOperator(scan, p, -1);
    return p + 1;
  }
  stack.Count = n;
  scan.bracketDepth -= static_cast<int>(p - first);
  if (numberBelow) Reduce(stack, scan.error);  // the rules go on from the new number
  return p;
}

// The open bracket still open nearest the end of the text. Bracket depth is
// settled only when every byte was scanned, and a bracket byte is always a
// token of its own, so the text's bracket bytes are exactly the bracket
// tokens (an open bracket folded away as an operator, as in 2(3, included).
Place InnermostOpenBracket(const Scan& scan, const char* end) noexcept {
  int unmatchedCloses = 0;
  for (const char* p = end; p-- != scan.text;) {
    const ByteClass c = ClassOf(*p);
    if (c == ByteClass::kCloseBracket) {
      ++unmatchedCloses;
    } else if (c == ByteClass::kOpenBracket && unmatchedCloses-- == 0) {
      return scan.PlaceOf(p, p + 1);
    }
  }
  return scan.PlaceOf(end, end);  // not reached: the depth was positive
}

// The reducer's places run up to the next token; they end at the last
// byte that is no blank.
Place Trimmed(const char* text, Place place) noexcept {
  while (place.end > place.start && text[place.end - 1] == ' ') --place.end;
  return place;
}

constexpr Outcome kWorkingCopyNeeded{0, kNeedsWorkingCopy, {}};

// The caller's bytes are read in place only up to this offset: a longer
// text is evaluated on a copy, which may fail for want of memory.
constexpr std::size_t kLongestCallerText = 511;

// The scanners are inlined into each of its two forms, as they were into
// the one loop before: a call per token costs as much as the token's push.
template <bool kCallerText>
[[gnu::always_inline]] inline Outcome Evaluate(const char* text) noexcept {
  Scan scan(text);
  const char* p = text;
  while (*p == ' ') ++p;
  if (ClassOf(*p) == ByteClass::kEnd) {
    if (kCallerText && *p == '=') return kWorkingCopyNeeded;
    return {0, kSyntax, scan.PlaceOf(p, p)};  // where the expression should be
  }

  // An error ends scanning before the next token; the token that raised it
  // is finished first.
  for (bool more = true; more && scan.error.code == kNone;) {
    const char* start = p;
    // A long text goes to the copy at once, not after a scan to its end.
    if (kCallerText && scan.OffsetOf(p) > kLongestCallerText) return kWorkingCopyNeeded;
    switch (ClassOf(*p)) {
      case ByteClass::kBlank: ++p; continue;
      case ByteClass::kOpenBracket: p = ScanOpenBrackets(scan, p); break;
      case ByteClass::kCloseBracket: p = ScanCloseBrackets(scan, p); break;
      case ByteClass::kOperator: ScanOperator(scan, p++, 0); break;
      case ByteClass::kNumber: p = ScanNumber(scan, p); break;
      case ByteClass::kWord:
        p = ScanWord<kCallerText>(scan, p);
        if (kCallerText && p == nullptr) return kWorkingCopyNeeded;
        break;
      case ByteClass::kEnd:
        if (kCallerText && *p == '=') return kWorkingCopyNeeded;
        more = false;
        continue;
    }
    // The first token refused is the one that found the stack full.
    if (scan.stack.Status != 0) {
      scan.error.Raise(kStack, scan.PlaceOf(start, p));
      scan.refused = start;
    }
  }

  // The end token is pushed and reduced even after an error; a full stack
  // refuses it like any other token.
  const double value = PushAndReduce(scan.stack, {kEndCode, rank::kEnd, scan.OffsetOf(p)}, scan.error);
  if (scan.error.code == kNone) {
    if (scan.bracketDepth != 0)
      scan.error.Raise(kBracket, InnermostOpenBracket(scan, p));
    else if (scan.stack.Count != 0) {
      // The stack holds what was scanned up to a refused token, if any.
      const char* stackEnd = scan.refused ? scan.refused : p;
      scan.error.Raise(kSyntax, WaitingTokenPlace(scan.stack, 0, scan.PlaceOf(stackEnd, stackEnd)));
    }
  }
  if (scan.error.code == kNone) return {value, kNone, {}};
  return {value, scan.error.code, Trimmed(text, scan.error.place)};
}

}  // namespace

Outcome EvaluateExpression(const char* text) noexcept { return Evaluate<false>(text); }

Outcome EvaluateCallerText(const char* text) noexcept { return Evaluate<true>(text); }

}  // namespace evaluator
