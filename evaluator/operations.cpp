#include "evaluator/operations.h"

#include <cmath>
#include <optional>

#include "evaluator/extended_constants.h"
#include "evaluator/functions.h"
#include "evaluator/outcome.h"
#include "evaluator/primitives.h"
#include "evaluator/rounded_once.h"
#include "evaluator/trigonometric.h"

namespace evaluator {

namespace {

// RaiseByProducts, also inlined into RaisePower, the hot caller.
[[gnu::always_inline]] inline std::optional<Extended> ByProducts(double base, double exponent) noexcept {
  if (exponent == 0) return constants::kOne;
  if (base == 0 && exponent > 0) return Extended(0.0);
  if (exponent != std::trunc(exponent) || std::fabs(exponent) > 2147483647.0) return std::nullopt;
  const auto n = static_cast<std::int64_t>(exponent);
  std::uint64_t bits = n < 0 ? static_cast<std::uint64_t>(-n) : static_cast<std::uint64_t>(n);
  Extended product = constants::kOne;
  Extended square(base);
  // Lowest bit first; square only while bits remain, so no needless
  // overflow after the last one.
  for (;;) {
    if (bits & 1) product = product * square;
    bits >>= 1;
    if (bits == 0) break;
    square = square * square;
  }
  if (n > 0) return product;
  // An overflowed product stays a fault: its reciprocal would hide it.
  if (!IsFinite(product)) return product;
  return constants::kOne / product;  // 0 to a negative power: infinity, a fault
}

}  // namespace

std::optional<Extended> RaiseByProducts(double base, double exponent) noexcept {
  return ByProducts(base, exponent);
}

Extended RaisePower(double base, double exponent) noexcept {
  if (const auto product = ByProducts(base, exponent)) return *product;
  // A negative base gives a NaN, a zero base with a negative exponent an
  // infinity: both faults.
  return Exp2(Extended(exponent) * Log2(Extended(base)));
}

namespace {

// x² and 1/x by products are one rounding to extended, as × and ÷.
std::optional<double> PowerInDoubles(double base, double exponent) noexcept {
  if (exponent == 2) return rounded_once::Product(base, base);
  if (exponent == -1) return rounded_once::Quotient(1, base);
  return std::nullopt;
}

// SQRT, SIN, COS and TAN where double arithmetic settles them; ApplyFunction
// is the path for the rest.
std::optional<double> FunctionInDoubles(std::uint8_t code, double x) noexcept {
  switch (code) {
    case function_code::kSquareRoot: return rounded_once::SquareRootByPower(x);
    case function_code::kSine:
    case function_code::kCosine:
    case function_code::kTangent: return TrigonometricRoundedToDouble(code, x);
    default: return std::nullopt;
  }
}

// The operations whose rounded result double arithmetic can usually give
// directly; nothing where the extended step must decide. Without the x87
// this spares the integer extended arithmetic; on the x87 it spares the
// call its x87 half of the environment guard, which costs more than the
// error terms (an extended + − × ÷ alone would be one instruction).
// The result goes out through a reference: an optional that several
// branches fill is copied through memory.
bool RoundedInDoubles(double left, std::uint8_t code, double right, double& rounded) noexcept {
  std::optional<double> result;
  switch (code) {
    case '+': result = rounded_once::Sum(left, right); break;
    case '-': result = rounded_once::Sum(left, -right); break;
    case '*': result = rounded_once::Product(left, right); break;
    case '/': result = rounded_once::Quotient(left, right); break;
    case '^': result = PowerInDoubles(left, right); break;
    default: result = FunctionInDoubles(code, right); break;
  }
  if (!result) return false;
  rounded = *result;
  return true;
}

}  // namespace

double ApplyOperation(double left, std::uint8_t code, double right, std::int32_t& errorCode) noexcept {
  if (double rounded; RoundedInDoubles(left, code, right, rounded)) return rounded;
  // The operands become extended values only where the arithmetic needs
  // them: without the x87 that conversion is not free.
  Extended result;
  switch (code) {
    case '+': result = Extended(left) + Extended(right); break;
    case '-': result = Extended(left) - Extended(right); break;
    case '*': result = Extended(left) * Extended(right); break;
    case '/': result = Extended(left) / Extended(right); break;  // a zero divisor gives inf or NaN
    case '^': result = RaisePower(left, right); break;
    default: result = ApplyFunction(code, right); break;
  }
  // A non-finite extended result stays non-finite as a double, so one
  // test covers it and the results beyond the double range alike.
  const double rounded = static_cast<double>(result);
  if (!std::isfinite(rounded)) {
    errorCode = error_code::kMath;
    return 0;
  }
  return rounded;
}

}  // namespace evaluator
