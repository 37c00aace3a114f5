#include "evaluator/decimal_literal.h"

#include <cmath>
#include <iterator>
#include <memory>
#include <new>

#include <fast_float/fast_float.h>

#include "evaluator/outcome.h"

namespace evaluator {

namespace {

using error_code::kMath;
using error_code::kMemory;

// Exact powers of ten: every one up to 10^22 is a double.
constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                        1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The usual literal has few digits: its digits as a whole number m up to
// 2^53 and k decimals up to 22 make m / 10^k one correctly rounded division
// of two exact doubles (under round-to-nearest, which every call runs in).
// Returns false for any other literal.
bool ConvertShortDigits(std::string_view digits, double& value) noexcept {
  constexpr std::uint64_t kLargestExactInteger = std::uint64_t{1} << 53;
  std::uint64_t mantissa = 0;
  int significant = 0;
  int decimals = 0;
  bool afterPoint = false;
  for (const char b : digits) {
    if (b == '.') {
      afterPoint = true;
      continue;
    }
    if (mantissa != 0 || b != '0') {
      if (++significant > 19) return false;  // 19 digits cannot overflow 64 bits
    }
    mantissa = mantissa * 10 + static_cast<std::uint64_t>(b - '0');
    decimals += afterPoint;
  }
  if (mantissa > kLargestExactInteger || decimals >= static_cast<int>(std::size(kExactPowersOfTen))) return false;
  value = static_cast<double>(mantissa) / kExactPowersOfTen[decimals];
  return true;
}

// Any other literal goes to fast_float, which rounds any number of digits
// correctly (nearest, ties to even) with integer arithmetic alone, so the
// value is the same on every platform and under any host locale. A literal
// too large for a double comes back as infinity, one too small as zero;
// some versions also say "out of range" for either, hence the value test.
double ConvertDigits(std::string_view digits, std::int32_t& errorCode) noexcept {
  double value = 0;
  if (ConvertShortDigits(digits, value)) return value;  // a point alone is 0 too
  const auto result = fast_float::from_chars(digits.data(), digits.data() + digits.size(), value);
  (void)result;  // the literal is checked already: it converts whole
  if (std::isinf(value)) {
    errorCode = kMath;
    return 0;
  }
  return value;
}

}  // namespace

double ConvertLiteral(std::string_view literal, bool hasCommas, std::int32_t& errorCode) noexcept {
  if (!hasCommas) return ConvertDigits(literal, errorCode);
  char inlineBuffer[128];
  std::unique_ptr<char[]> heapBuffer;
  char* buffer = inlineBuffer;
  if (literal.size() > sizeof inlineBuffer) {
    heapBuffer.reset(new (std::nothrow) char[literal.size()]);
    if (!heapBuffer) {
      errorCode = kMemory;
      return 0;
    }
    buffer = heapBuffer.get();
  }
  std::size_t length = 0;
  for (const char b : literal)
    if (b != ',') buffer[length++] = b;
  return ConvertDigits({buffer, length}, errorCode);
}

}  // namespace evaluator
