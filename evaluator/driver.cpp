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
#include "interface/error_text.h"

namespace evaluator {

namespace {

using interface::error_code::kSyntax;

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

struct Scan {
  explicit Scan(std::int32_t& code) noexcept : errorCode(code) {}
  TStack stack;
  std::int32_t& errorCode;
  int bracketDepth = 0;
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
    scan.errorCode = kSyntax;
    return p;
  }
  const double value = ConvertLiteral(literal, commas, scan.errorCode);
  scan.stack.Push(kNumberCode, value);
  Reduce(scan.stack, scan.errorCode);
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
    scan.errorCode = kSyntax;
    return p;
  }
  // Keyword tokens wait for the next reduction.
  scan.stack.Push(keyword->code, keyword->value);
  if (keyword->thenPi) scan.stack.Push(kNumberCode, kPi);
  return p;
}

const char* ScanOperator(Scan& scan, const char* p) noexcept {
  const OperatorInfo op = OperatorOf(*p);
  scan.stack.Push(static_cast<std::uint8_t>(*p), op.rank);
  scan.bracketDepth += op.depthChange;
  Reduce(scan.stack, scan.errorCode);
  return p + 1;
}

}  // namespace

double EvaluateExpression(const char* text, interface::CallState& state) noexcept {
  Scan scan(state.ErrorCode);
  const char* p = text;
  while (*p == ' ') ++p;
  if (*p == '\0') {
    state.ErrorCode = kSyntax;
    interface::SetErrorText(state);
    return 0;
  }
  state.ErrorCode = interface::error_code::kNone;

  // An error ends scanning before the next token; the token that raised it
  // is finished first.
  while (*p != '\0' && state.ErrorCode == 0) {
    switch (ClassOf(*p)) {
      case ByteClass::kBlank: ++p; continue;
      case ByteClass::kOperator: p = ScanOperator(scan, p); break;
      case ByteClass::kNumber: p = ScanNumber(scan, p); break;
      case ByteClass::kWord: p = ScanWord(scan, p); break;
      case ByteClass::kEnd: break;
    }
    if (scan.stack.Status != 0) state.ErrorCode = interface::error_code::kStack;
  }

  // The end token is pushed and reduced even after an error; a full stack
  // refuses it like any other token.
  scan.stack.Push(kEndCode, rank::kEnd);
  const double value = Reduce(scan.stack, state.ErrorCode);
  if (state.ErrorCode == 0) {
    if (scan.bracketDepth != 0)
      state.ErrorCode = interface::error_code::kBracket;
    else if (scan.stack.Count != 0)
      state.ErrorCode = kSyntax;
  }
  interface::SetErrorText(state);
  return value;
}

}  // namespace evaluator
