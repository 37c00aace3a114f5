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

// Digits and at most one point, m / 10^k when that is exact enough (see
// ExactQuotient). Returns false for any other literal.
bool ConvertShortDigits(std::string_view digits, double& value) noexcept {
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
  return ExactQuotient(mantissa, static_cast<std::size_t>(decimals), value);
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
