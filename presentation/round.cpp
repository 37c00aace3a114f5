#include "presentation/round.h"

#include <cmath>
#include <iterator>
#include <limits>

#include "evaluator/extended_constants.h"

namespace presentation {

namespace {

using evaluator::Extended;
namespace k = evaluator::constants;

constexpr int kMaxDigits = 14;  // both for N and for M
constexpr int kDefaultDigits = 14;

// Any count above kMaxDigits falls back to the default, so reading can stop
// growing the value there and a long digit run cannot overflow.
constexpr int kSaturatedCount = 1000;

// 10^0 .. 10^14, all exact doubles.
constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6, 1e7,
                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14};
static_assert(std::size(kPowersOfTen) == kMaxDigits + 1);

constexpr double kLargestDouble = std::numeric_limits<double>::max();

// The scale may grow by ten only while the product stays finite; past this
// the magnitude is too small to be lifted to 10^N.
constexpr double kLargestGrowableScale = kLargestDouble / 10;

constexpr bool IsLeadingBlank(char byte) noexcept {
  return byte == ' ' || (byte >= '\t' && byte <= '\r');
}

constexpr bool IsDigit(char byte) noexcept { return byte >= '0' && byte <= '9'; }

// <leading integer> = {blank} ["+" | "-"] {digit}; no digits reads as 0.
constexpr int ReadLeadingInteger(const char* text) noexcept {
  while (IsLeadingBlank(*text)) ++text;
  bool negative = false;
  if (*text == '+' || *text == '-') negative = *text++ == '-';
  int value = 0;
  for (; IsDigit(*text); ++text)
    if (value < kSaturatedCount) value = value * 10 + (*text - '0');
  return negative ? -value : value;
}

static_assert(ReadLeadingInteger(" \t-12x") == -12);
static_assert(ReadLeadingInteger("99999999999999999999") >= kSaturatedCount);

constexpr int SignificantDigitsOf(const char* formatText) noexcept {
  const int n = ReadLeadingInteger(formatText);
  return n < 1 || n > kMaxDigits ? kDefaultDigits : n;
}

constexpr int kNoDecimals = -1;

constexpr const char* FindPoint(const char* text) noexcept {
  for (; *text != '\0'; ++text)
    if (*text == '.') return text;
  return nullptr;
}

// The decimals part counts only when at least one byte follows the point:
// "5." is read as 5, while "5. " has no decimals (M = 0).
constexpr int DecimalsOf(const char* formatText) noexcept {
  const char* point = FindPoint(formatText);
  if (point == nullptr || point[1] == '\0') return kNoDecimals;
  const int m = ReadLeadingInteger(point + 1);
  return m < 0 || m > kMaxDigits ? kDefaultDigits : m;
}

static_assert(DecimalsOf("5.") == kNoDecimals && DecimalsOf("5. ") == 0 && DecimalsOf(".3") == 3);

// Each new scale is rounded to a double before it is used again; the tenth
// is taken in extended precision, so the scales below 1 are what repeated
// multiplication gives (the sixth is 1.0000000000000002e-06, not 1e-06).
double ScaleUp(double d) noexcept { return static_cast<double>(Extended(d) * k::kTen); }
double ScaleDown(double d) noexcept { return static_cast<double>(Extended(d) * k::kTenth); }

Extended ScaledMagnitude(double d, double magnitude) noexcept {
  return Extended(d) * Extended(magnitude);
}

}  // namespace

double RoundByFormat(const char* formatText, double x) noexcept {
  if (formatText == nullptr || formatText[0] == '\0') return x;
  // Infinities and NaNs never reach here from an evaluation; there is
  // nothing to round in them.
  if (!std::isfinite(x)) return x;
  // Zero of either sign gives +0, whatever the scale.
  if (x == 0) return 0.0;

  const double sign = x >= 0 ? 1.0 : -1.0;
  const double magnitude = std::fabs(x);
  const Extended limit(kPowersOfTen[SignificantDigitsOf(formatText)]);  // A = 10^N

  double d;
  if (const int decimals = DecimalsOf(formatText); decimals != kNoDecimals) {
    d = kPowersOfTen[decimals];
  } else {
    // The smallest power of ten that lifts the magnitude to at least 10^N.
    d = 1;
    while (ScaledMagnitude(d, magnitude) < limit) {
      if (d > kLargestGrowableScale) return x;  // too small to be lifted: unchanged
      d = ScaleUp(d);
    }
  }
  // Leave at most N digits before the decimal point.
  while (ScaledMagnitude(d, magnitude) >= limit) d = ScaleDown(d);

  const double shifted = static_cast<double>(ScaledMagnitude(d, magnitude) + k::kHalf);
  const Extended rounded = Extended(std::floor(shifted)) / Extended(d);
  // Extended quotients from the midpoint between the largest double and
  // 2^1024 up would round to infinity: rounding up next to the largest
  // double can leave the double range.
  if (rounded >= k::kDoubleOverflowThreshold) return x;
  return sign * static_cast<double>(rounded);
}

}  // namespace presentation
