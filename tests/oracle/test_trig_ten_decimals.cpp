// SIN, COS and TAN rounded to 10 decimals: the cheap enclosure must hold the
// exact value, and the result through it must equal the result through the
// correctly rounded primitive bit for bit, above all where the exact value
// sits within a hair of a halfway point k·10^-10 + 5·10^-11.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>

#include "evaluator/circular_estimate.h"
#include "evaluator/functions.h"
#include "evaluator/trig.h"
#include "evaluator/trigonometric.h"
#include "tests/oracle/mpfr_extended.h"
#include "tests/oracle/trig_arguments.h"

namespace {

using evaluator::CircularFunction;
using evaluator::Extended;
using namespace trig_arguments;

struct Function {
  CircularFunction kind;
  std::uint8_t code;
  int (*exact)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);
  int (*inverse)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);
};

const Function kFunctions[] = {
    {CircularFunction::kSine, evaluator::function_code::kSine, mpfr_sin, mpfr_asin},
    {CircularFunction::kCosine, evaluator::function_code::kCosine, mpfr_cos, mpfr_acos},
    {CircularFunction::kTangent, evaluator::function_code::kTangent, mpfr_tan, mpfr_atan},
};

// An MPFR number at 256 bits; enough to tell the enclosure's ends apart
// from the exact value.
class Exact {
 public:
  Exact() { mpfr_init2(v_, 256); }
  ~Exact() { mpfr_clear(v_); }
  Exact(const Exact&) = delete;
  Exact& operator=(const Exact&) = delete;
  mpfr_ptr get() { return v_; }

 private:
  mpfr_t v_;
};

bool SameDouble(Extended a, Extended b) {
  return SameBits(a, b);
}

// The double shortcut, where it answers, gives the reference rounded.
::testing::AssertionResult ShortcutAgrees(std::uint8_t code, double x, Extended reference) {
  const auto shortcut = evaluator::TrigonometricRoundedToDouble(code, x);
  if (!shortcut) return ::testing::AssertionSuccess();
  const double want = static_cast<double>(reference);
  if (std::bit_cast<std::uint64_t>(*shortcut) == std::bit_cast<std::uint64_t>(want))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << int(code) << "(" << std::hexfloat << x << ") gives "
                                       << *shortcut << ", want " << want;
}

TEST(TrigTenDecimals, EstimateIsWithinItsErrorBound) {
  Arguments arguments(21);
  Exact x, exact, error;
  for (int i = 0; i < 20000; ++i) {
    const Extended argument = arguments.Circular(i);
    for (const Function& f : kFunctions) {
      const auto estimate = evaluator::CircularEstimate(f.kind, argument);
      // Only results far below the double range (sines and tangents of
      // the tiniest arguments) are left without an estimate.
      const bool tiny = (argument.SignExponent() & 0x7FFF) < 16383 - 900 &&
                        f.kind != CircularFunction::kCosine;
      ASSERT_TRUE(estimate.has_value() || tiny) << Show(argument);
      if (!estimate) continue;
      oracle::ToMpfr(x.get(), argument);
      f.exact(exact.get(), x.get(), MPFR_RNDN);
      mpfr_sub_d(error.get(), exact.get(), *estimate, MPFR_RNDN);
      mpfr_div(error.get(), error.get(), exact.get(), MPFR_RNDN);
      EXPECT_LE(std::fabs(mpfr_get_d(error.get(), MPFR_RNDN)),
                evaluator::kCircularEstimateError)
          << Show(argument);
    }
  }
}

// The estimate in double arithmetic, on the same regions rounded to
// doubles: the near multiples of π/2 among them test the reduction.
TEST(TrigTenDecimals, DoubleEstimateIsWithinItsErrorBound) {
  Arguments arguments(22);
  Exact x, exact, error;
  int estimated = 0;
  int inRange = 0;
  for (int i = 0; i < 40000; ++i) {
    const double argument = static_cast<double>(arguments.Circular(i));
    const bool ordinary = std::fabs(argument) < 0x1p19 && std::fabs(argument) > 0x1p-1000;
    for (const Function& f : kFunctions) {
      const auto estimate = evaluator::CircularEstimateOfDouble(f.kind, argument);
      inRange += ordinary;
      if (!estimate) continue;
      ++estimated;
      mpfr_set_d(x.get(), argument, MPFR_RNDN);
      f.exact(exact.get(), x.get(), MPFR_RNDN);
      mpfr_sub_d(error.get(), exact.get(), *estimate, MPFR_RNDN);
      mpfr_div(error.get(), error.get(), exact.get(), MPFR_RNDN);
      EXPECT_LE(std::fabs(mpfr_get_d(error.get(), MPFR_RNDN)),
                evaluator::kCircularDoubleEstimateError)
          << int(f.code) << "(" << std::hexfloat << argument << ")";
    }
  }
  // Only arguments within 2^-30 of a multiple of π/2 are left out; a
  // quarter of the regions aim at those.
  EXPECT_GT(estimated, inRange * 3 / 4);
}

// The doubles nearest the arguments whose function value is a halfway
// point, and their neighbours on both sides: the estimate cannot tell on
// which side the value lies, so the correctly rounded path must decide.
TEST(TrigTenDecimals, EqualsTheCorrectlyRoundedPathAtHalfwayPoints) {
  std::mt19937_64 random(5);
  Exact halfway, angle, shifted, pi, distance;
  mpfr_const_pi(pi.get(), MPFR_RNDN);
  for (const Function& f : kFunctions) {
    int straddling = 0;
    int compared = 0;
    for (int i = 0; i < 3000; ++i) {
      // k·10^-10 + 5·10^-11 with |value| below 1 (below 10 for TAN).
      const std::int64_t range =
          f.kind == CircularFunction::kTangent ? 100000000000 : 10000000000;
      const std::int64_t k = static_cast<std::int64_t>(
          random() % static_cast<std::uint64_t>(2 * range)) - range;
      mpfr_set_si(halfway.get(), 2 * k + 1, MPFR_RNDN);
      mpfr_div_ui(halfway.get(), halfway.get(), 20000000000u, MPFR_RNDN);
      f.inverse(angle.get(), halfway.get(), MPFR_RNDN);
      // The same value a few periods away: the doubles there are still
      // fine enough to land within a hair of the halfway point.
      const long periods = static_cast<long>(random() % 16);
      mpfr_mul_si(shifted.get(), pi.get(), 2 * periods, MPFR_RNDN);
      mpfr_add(shifted.get(), shifted.get(), angle.get(), MPFR_RNDN);
      const double nearest = mpfr_get_d(shifted.get(), MPFR_RNDN);
      for (int step = -2; step <= 2; ++step) {
        const double x = std::nextafter(nearest, step < 0 ? -INFINITY : INFINITY);
        const double argument = step == 0 ? nearest : x;
        const Extended fast = evaluator::Trigonometric(f.code, argument);
        const Extended reference =
            evaluator::TrigonometricCorrectlyRounded(f.code, argument);
        EXPECT_TRUE(SameDouble(fast, reference))
            << int(f.code) << "(" << argument << ") " << Show(fast) << " vs "
            << Show(reference);
        EXPECT_TRUE(ShortcutAgrees(f.code, argument, reference));
        const auto estimate =
            evaluator::CircularEstimate(f.kind, Extended(argument));
        mpfr_sub_d(distance.get(), halfway.get(), *estimate, MPFR_RNDN);
        mpfr_div(distance.get(), distance.get(), halfway.get(), MPFR_RNDN);
        straddling += std::fabs(mpfr_get_d(distance.get(), MPFR_RNDN)) <=
                      evaluator::kCircularEstimateError;
        ++compared;
      }
    }
    // Most arguments above fall to the correctly rounded path (not all:
    // where the value is small the estimate is closer than a step between
    // neighbouring doubles).
    EXPECT_GT(straddling, compared / 2);
  }
}

TEST(TrigTenDecimals, EqualsTheCorrectlyRoundedPathOnRandomArguments) {
  std::mt19937_64 random(6);
  std::uniform_real_distribution<double> small(-10, 10);
  for (int i = 0; i < 300000; ++i) {
    double x;
    switch (i % 3) {
      case 0: x = small(random); break;
      case 1: x = std::ldexp(small(random), static_cast<int>(random() % 60)); break;
      default: x = std::bit_cast<double>(random() & 0xC3DFFFFFFFFFFFFFu); break;
    }
    for (const Function& f : kFunctions) {
      const Extended fast = evaluator::Trigonometric(f.code, x);
      const Extended reference = evaluator::TrigonometricCorrectlyRounded(f.code, x);
      ASSERT_TRUE(SameDouble(fast, reference))
          << int(f.code) << "(" << x << ") " << Show(fast) << " vs "
          << Show(reference);
      ASSERT_TRUE(ShortcutAgrees(f.code, x, reference));
    }
  }
}

}  // namespace
