#include "evaluator/operations.h"

#include <cmath>

#include "evaluator/functions.h"
#include "interface/call_state.h"

namespace evaluator {

long double RaisePower(long double base, long double exponent) noexcept {
  if (exponent == 0) return 1;
  if (base == 0 && exponent > 0) return 0;
  if (exponent == std::trunc(exponent) && std::fabs(exponent) <= 2147483647.0L) {
    const auto n = static_cast<std::int64_t>(exponent);
    std::uint64_t bits = n < 0 ? static_cast<std::uint64_t>(-n) : static_cast<std::uint64_t>(n);
    long double product = 1;
    long double square = base;
    // Lowest bit first; square only while bits remain, so no needless
    // overflow after the last one.
    for (;;) {
      if (bits & 1) product *= square;
      bits >>= 1;
      if (bits == 0) break;
      square *= square;
    }
    if (n > 0) return product;
    // An overflowed product stays a fault: its reciprocal would hide it.
    if (!std::isfinite(product)) return product;
    return 1 / product;  // 0 to a negative power: infinity, a fault
  }
  // A negative base gives a NaN, a zero base with a negative exponent an
  // infinity: both faults.
  return std::exp2l(exponent * std::log2l(base));
}

double ApplyOperation(double left, std::uint8_t code, double right, std::int32_t& errorCode) noexcept {
  const long double x = left;
  const long double y = right;
  long double result;
  switch (code) {
    case '+': result = x + y; break;
    case '-': result = x - y; break;
    case '*': result = x * y; break;
    case '/': result = x / y; break;  // a zero divisor gives inf or NaN
    case '^': result = RaisePower(x, y); break;
    default: result = ApplyFunction(code, right); break;
  }
  const double rounded = static_cast<double>(result);
  if (!std::isfinite(result) || !std::isfinite(rounded)) {
    errorCode = interface::error_code::kMath;
    return 0;
  }
  return rounded;
}

}  // namespace evaluator
