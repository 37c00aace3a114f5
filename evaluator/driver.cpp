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
// that equals "[" ends a word in the middle of its character.
enum class ByteClass : std::uint8_t { kWord, kEnd, kBlank, kOperator, kNumber };

struct OperatorInfo {
  double rank;
  int depthChange;
};

constexpr std::array<ByteClass, 256> MakeByteClasses() {
  std::array<ByteClass, 256> classes{};
  classes['\0'] = ByteClass::kEnd;
  classes[' '] = ByteClass::kBlank;
  for (const char b : std::string_view("+-*^/(){}[]")) classes[static_cast<std::uint8_t>(b)] = ByteClass::kOperator;
  for (char b = '0'; b <= '9'; ++b) classes[static_cast<std::uint8_t>(b)] = ByteClass::kNumber;
  classes['.'] = ByteClass::kNumber;
  return classes;
}
constexpr std::array<ByteClass, 256> kByteClasses = MakeByteClasses();

ByteClass ClassOf(char b) noexcept { return kByteClasses[static_cast<std::uint8_t>(b)]; }

constexpr OperatorInfo OperatorOf(char b) noexcept {
  switch (b) {
    case '(': case '[': case '{': return {rank::kOpenBracket, +1};
    case ')': case ']': case '}': return {rank::kCloseBracket, -1};
    case '*': case '/': return {rank::kMultiplicative, 0};
    case '^': return {rank::kPower, 0};
    default: return {rank::kAdditive, 0};  // + -
  }
}

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
};

// <literal> = { digit | "." | "," }
const char* ScanNumber(Scan& scan, const char* p) noexcept {
  const char* start = p;
  int points = 0;
  bool commas = false;
  for (;; ++p) {
    if (*p == '.') {
      ++points;
    } else if (*p == ',') {
      commas = true;
    } else if (ClassOf(*p) != ByteClass::kNumber) {
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
  scan.stack.Push(kNumberCode, value, scan.OffsetOf(start));
  Reduce(scan.stack, scan.error);
  return p;
}

// <word> = any run of bytes up to an operator, a digit, "." or a blank.
const char* ScanWord(Scan& scan, const char* p) noexcept {
  const char* start = p;
  while (ClassOf(*p) == ByteClass::kWord) ++p;
  const auto length = static_cast<std::size_t>(p - start);
  const Keyword* keyword = nullptr;
  if (length <= kLongestKeyword) {
    char upper[kLongestKeyword];
    std::memcpy(upper, start, length);
    UpperCaseWord(upper, length);
    keyword = LookUpKeyword({upper, length});
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

const char* ScanOperator(Scan& scan, const char* p) noexcept {
  const OperatorInfo op = OperatorOf(*p);
  scan.stack.Push(static_cast<std::uint8_t>(*p), op.rank, scan.OffsetOf(p));
  scan.bracketDepth += op.depthChange;
  Reduce(scan.stack, scan.error);
  return p + 1;
}

// The open bracket still open nearest the end of the text. Bracket depth is
// settled only when every byte was scanned, and a bracket byte is always a
// token of its own, so the text's bracket bytes are exactly the bracket
// tokens (an open bracket folded away as an operator, as in 2(3, included).
Place InnermostOpenBracket(const Scan& scan, const char* end) noexcept {
  int unmatchedCloses = 0;
  for (const char* p = end; p-- != scan.text;) {
    if (ClassOf(*p) != ByteClass::kOperator) continue;
    const int change = OperatorOf(*p).depthChange;
    if (change < 0) {
      ++unmatchedCloses;
    } else if (change > 0 && unmatchedCloses-- == 0) {
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

}  // namespace

Outcome EvaluateExpression(const char* text) noexcept {
  Scan scan(text);
  const char* p = text;
  while (*p == ' ') ++p;
  if (*p == '\0') return {0, kSyntax, scan.PlaceOf(p, p)};  // where the expression should be

  // An error ends scanning before the next token; the token that raised it
  // is finished first.
  while (*p != '\0' && scan.error.code == kNone) {
    const char* start = p;
    switch (ClassOf(*p)) {
      case ByteClass::kBlank: ++p; continue;
      case ByteClass::kOperator: p = ScanOperator(scan, p); break;
      case ByteClass::kNumber: p = ScanNumber(scan, p); break;
      case ByteClass::kWord: p = ScanWord(scan, p); break;
      case ByteClass::kEnd: break;
    }
    // The first token refused is the one that found the stack full.
    if (scan.stack.Status != 0) {
      scan.error.Raise(kStack, scan.PlaceOf(start, p));
      scan.refused = start;
    }
  }

  // The end token is pushed and reduced even after an error; a full stack
  // refuses it like any other token.
  scan.stack.Push(kEndCode, rank::kEnd, scan.OffsetOf(p));
  const double value = Reduce(scan.stack, scan.error);
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

}  // namespace evaluator
