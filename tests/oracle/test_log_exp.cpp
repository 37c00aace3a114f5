// The logarithm and exponential primitives against MPFR, bit for bit, over
// arguments drawn from the regions where rounding is hard or the range
// ends. The normal run draws a few thousand per primitive; the long run
// (OracleLong, its count from EVALO_ORACLE_COUNT, default 10^6) many more.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "evaluator/log_exp.h"
#include "evaluator/primitives.h"
#include "tests/oracle/mpfr_extended.h"

namespace {

using evaluator::Extended;
using evaluator::log_exp::Path;
using evaluator::log_exp::Primitive;
using Random = std::mt19937_64;

std::string Bits(Extended x) {
  char text[32];
  std::snprintf(text, sizeof text, "%04X:%016llX", x.SignExponent(),
                static_cast<unsigned long long>(x.Significand()));
  return text;
}

// ±significand·2^(exponent − 63), significand with its top bit set; below
// the normal range the value is shifted onto the subnormal grid (the bits
// shifted out are dropped: the result is still a valid argument).
Extended Make(bool negative, std::uint64_t significand, int exponent) {
  std::uint16_t sign = negative ? 0x8000 : 0;
  significand |= std::uint64_t{1} << 63;
  if (exponent >= -16382)
    return Extended::FromBits(static_cast<std::uint16_t>(sign | (exponent + 16383)),
                              significand);
  int shift = -16382 - exponent;
  return Extended::FromBits(sign, shift >= 64 ? 1 : significand >> shift);
}

Extended FromDouble(double d) {
  mpfr_t v;
  mpfr_init2(v, 64);
  mpfr_set_d(v, d, MPFR_RNDN);
  Extended x = oracle::FromMpfr(v);
  mpfr_clear(v);
  return x;
}

// Full 64-bit significands, or doubles' 53 bits (most operands are doubles).
std::uint64_t Significand(Random& random) {
  std::uint64_t bits = random();
  if (random() % 2 == 0) bits &= ~std::uint64_t{0x7FF};
  return bits | std::uint64_t{1} << 63;
}

int Uniform(Random& random, int low, int high) {
  return low + static_cast<int>(random() % static_cast<std::uint64_t>(high - low + 1));
}

// x within ±2^spread of `center`'s last bit, in center's binade.
Extended Near(Random& random, double center, int spread) {
  Extended c = FromDouble(center);
  std::int64_t offset = static_cast<std::int64_t>(random() >> (64 - spread)) -
                        (std::int64_t{1} << (spread - 1));
  std::uint64_t significand = c.Significand() + static_cast<std::uint64_t>(offset);
  if ((significand >> 63) == 0) significand = c.Significand();
  return Extended::FromBits(c.SignExponent(), significand);
}

// 1 ± d for d from 2^-64 up to 1/4: where logarithms lose their leading bits.
Extended NearOne(Random& random) {
  int scale = Uniform(random, 2, 63);
  std::uint64_t d = (random() >> scale) | 1;
  if (random() % 2 == 0) return Extended::FromBits(0x3FFF, (std::uint64_t{1} << 63) + d);
  return Extended::FromBits(0x3FFE, ~std::uint64_t{0} - (d << 1) + 1);
}

// A special or boundary operand: zeros, infinities, NaN, the least and
// greatest values, negative values.
Extended Special(Random& random) {
  const Extended values[] = {
      Extended::FromBits(0, 0),          Extended::FromBits(0x8000, 0),
      Extended::FromBits(0x7FFF, 1ull << 63), Extended::FromBits(0xFFFF, 1ull << 63),
      Extended::FromBits(0x7FFF, 0xC000000000000001u), Extended::FromBits(0, 1),
      Extended::FromBits(0, ~0ull >> 1), Extended::FromBits(0x7FFE, ~0ull),
      Extended::FromBits(0x3FFF, 1ull << 63), Extended::FromBits(0xBFFF, 1ull << 63),
      Extended::FromBits(0xBFFF, 0xC000000000000000u), Extended::FromBits(1, 1ull << 63),
  };
  return values[random() % std::size(values)];
}

Extended AnyFinite(Random& random) {
  return Make(random() % 2 == 0, Significand(random), Uniform(random, -16445, 16383));
}

Extended LogArgument(Random& random) {
  switch (random() % 8) {
    case 0: return Special(random);
    case 1: return Make(false, Significand(random), Uniform(random, -16445, 16383));
    case 2: case 3: return NearOne(random);
    case 4: return Make(false, random() % 4 == 0 ? 1ull << 63 : Significand(random),
                        Uniform(random, -40, 40));
    case 5: return Make(false, Significand(random), Uniform(random, -16445 - 64, -16382));
    default: return Make(false, Significand(random), Uniform(random, -3, 3));
  }
}

Extended LnOnePlusArgument(Random& random) {
  switch (random() % 8) {
    case 0: return Special(random);
    case 1: return AnyFinite(random);
    case 2: return Make(random() % 2 == 0, Significand(random), Uniform(random, -70, -1));
    case 3: {  // −1 + d: the logarithm's pole
      Extended nearOne = NearOne(random);
      if (nearOne.SignExponent() != 0x3FFE) return nearOne;
      mpfr_t v;
      mpfr_init2(v, 64);
      oracle::ToMpfr(v, nearOne);
      mpfr_ui_sub(v, 1, v, MPFR_RNDN);  // exact: d has at most 64 bits
      mpfr_neg(v, v, MPFR_RNDN);
      Extended y = oracle::FromMpfr(v);
      mpfr_clear(v);
      return y;
    }
    case 4: return Make(false, Significand(random), Uniform(random, 60, 200));
    case 5: return Make(false, Significand(random), Uniform(random, -3, -2));  // [0, 0.25)
    default: return Make(random() % 4 == 0, Significand(random), Uniform(random, -20, 20));
  }
}

// e^x overflows above about 11356.52 and falls below the least subnormal
// below about −11399.5; 2^x does at 16384 and −16445.
Extended ExpArgument(Random& random) {
  switch (random() % 8) {
    case 0: return Special(random);
    case 1: return Near(random, 11356.5234062941, 50);
    case 2: return Near(random, -11355.1375, 50);  // the last normal results
    case 3: return Near(random, -11399.4985, 52);
    case 4: return Make(random() % 2 == 0, Significand(random), Uniform(random, -70, 13));
    case 5: return Make(random() % 2 == 0, Significand(random), Uniform(random, -16445, 16383));
    default: return Make(random() % 2 == 0, Significand(random), Uniform(random, -8, 8));
  }
}

Extended Exp2Argument(Random& random) {
  switch (random() % 9) {
    case 0: return Special(random);
    case 1: return Near(random, 16384.0, 52);
    case 2: return Near(random, -16382.0, 52);
    case 3: return Near(random, -16445.5, 53);
    case 4: {  // integers and half-integers
      double n = Uniform(random, -16500, 16500) + (random() % 2 == 0 ? 0.0 : 0.5);
      return FromDouble(n);
    }
    case 5: return Make(random() % 2 == 0, Significand(random), Uniform(random, -70, 14));
    case 6: return AnyFinite(random);
    default: return Make(random() % 2 == 0, Significand(random), Uniform(random, -8, 8));
  }
}

// log10(2) rounded to extended, times the exact log2(x), rounded once: the
// product of an MPFR logarithm with error below 2^(e−p) is rounded as soon
// as that error cannot change the rounding (Ziv's strategy).
int Log10ProductReference(mpfr_t out, const mpfr_t x, mpfr_rnd_t) {
  mpfr_t constant, log2, product;
  mpfr_init2(constant, 64);
  mpfr_set_uj_2exp(constant, 0x9A209A84FBCFF799u, -65, MPFR_RNDN);
  int ternary = 0;
  for (mpfr_prec_t precision = 128;; precision *= 2) {
    mpfr_init2(log2, precision);
    mpfr_init2(product, precision + 64);
    mpfr_log2(log2, x, MPFR_RNDN);  // within 2^(e − p − 1)
    const bool exact = mpfr_integer_p(log2) != 0;  // x a power of two
    mpfr_mul(product, log2, constant, MPFR_RNDN);  // exact; the constant is in [1/4, 1/2)
    const bool done = !mpfr_regular_p(product) || exact ||
                      mpfr_can_round(product, precision - 2, MPFR_RNDN, MPFR_RNDZ, 65);
    if (done) ternary = mpfr_set(out, product, MPFR_RNDN);
    mpfr_clear(log2);
    mpfr_clear(product);
    if (done) break;
  }
  mpfr_clear(constant);
  return ternary;
}

struct Subject {
  const char* name;
  Primitive primitive;
  std::function<int(mpfr_t, const mpfr_t, mpfr_rnd_t)> reference;
  Extended (*argument)(Random&);
};

const Subject kSubjects[] = {
    {"Log2", Primitive::kLog2, mpfr_log2, LogArgument},
    {"NaturalLog", Primitive::kNaturalLog, mpfr_log, LogArgument},
    {"LnOnePlus", Primitive::kLnOnePlus, mpfr_log1p, LnOnePlusArgument},
    {"Exp", Primitive::kExp, mpfr_exp, ExpArgument},
    {"Exp2", Primitive::kExp2, mpfr_exp2, Exp2Argument},
    {"Log10Product", Primitive::kLog10Product, Log10ProductReference, LogArgument},
};

// Compares `count` arguments; returns the number of differences, printing
// the first few.
long Compare(const Subject& subject, long count, Path path, std::uint64_t seed) {
  Random random(seed);
  long differences = 0;
  for (long i = 0; i < count; ++i) {
    const Extended x = subject.argument(random);
    const Extended ours = evaluator::log_exp::Evaluate(subject.primitive, x, path);
    const Extended theirs = oracle::Reference(subject.reference, x);
    if (IsNaN(ours) && IsNaN(theirs)) continue;
    if (Bits(ours) == Bits(theirs)) continue;
    if (++differences <= 5)
      ADD_FAILURE() << subject.name << "(" << Bits(x) << ") = " << Bits(ours)
                    << ", MPFR " << Bits(theirs);
  }
  return differences;
}

void PrintTo(const Subject& subject, std::ostream* out) { *out << subject.name; }

class Oracle : public testing::TestWithParam<Subject> {};

TEST_P(Oracle, MatchesMpfr) {
  EXPECT_EQ(Compare(GetParam(), 4000, Path::kFastThenWide, 1), 0);
}

// The wide evaluation decides the arguments the fast one cannot, which
// random arguments rarely reach: check it on its own.
TEST_P(Oracle, WideEvaluationMatchesMpfr) {
  EXPECT_EQ(Compare(GetParam(), 1000, Path::kWideOnly, 2), 0);
}

long LongCount() {
  const char* text = std::getenv("EVALO_ORACLE_COUNT");
  return text != nullptr ? std::atol(text) : 1000000;
}

TEST_P(Oracle, LongMatchesMpfr) {
  const long count = LongCount();
  EXPECT_EQ(Compare(GetParam(), count, Path::kFastThenWide, 3), 0)
      << "of " << count << " arguments";
}

INSTANTIATE_TEST_SUITE_P(LogExp, Oracle, testing::ValuesIn(kSubjects),
                         [](const auto& info) { return std::string(info.param.name); });

// The exact cases, which no approximation may decide: ties included.
TEST(LogExpExact, PowersOfTwoAndIntegers) {
  for (int k : {-16445, -16382, -64, -1, 0, 1, 3, 63, 1000, 16383}) {
    const Extended power = Make(false, 1ull << 63, k);
    EXPECT_EQ(Bits(evaluator::Log2(power)), Bits(oracle::Reference(mpfr_log2, power))) << k;
    EXPECT_EQ(Bits(evaluator::Log10Product(power)),
              Bits(oracle::Reference(Log10ProductReference, power)))
        << k;
    const Extended integer = FromDouble(k);
    EXPECT_EQ(Bits(evaluator::Exp2(integer)), Bits(oracle::Reference(mpfr_exp2, integer))) << k;
  }
  // 2^-16446 is half the least subnormal: a tie, to the even 0.
  EXPECT_EQ(Bits(evaluator::Exp2(FromDouble(-16446))), "0000:0000000000000000");
  EXPECT_EQ(Bits(evaluator::NaturalLog(FromDouble(1))), "0000:0000000000000000");
  EXPECT_EQ(Bits(evaluator::Exp(FromDouble(0))), Bits(FromDouble(1)));
  EXPECT_EQ(Bits(evaluator::LnOnePlus(Extended::FromBits(0x8000, 0))), "8000:0000000000000000");
  EXPECT_EQ(Bits(evaluator::LnOnePlus(FromDouble(-1))), "FFFF:8000000000000000");
}

}  // namespace
