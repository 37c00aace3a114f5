// The logarithm and exponential primitives, each beside the C library's
// long double function it replaces (where long double is the 80-bit
// format), on the same arguments: doubles of the sizes expressions use.
#include <benchmark/benchmark.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <vector>

#include "evaluator/primitives.h"

namespace {

using evaluator::Extended;

// Arguments as the calculator produces them: doubles, some whole, with
// ranges suited to each function.
std::vector<double> Arguments(double low, double high) {
  std::vector<double> values;
  std::uint64_t state = 12345;
  for (int i = 0; i < 256; ++i) {
    state = state * 6364136223846793005u + 1442695040888963407u;
    double unit = static_cast<double>(state >> 11) / 9007199254740992.0;
    values.push_back(low + (high - low) * unit);
  }
  return values;
}

Extended ToExtended(double d) {
  std::uint64_t bits;
  std::memcpy(&bits, &d, sizeof bits);
  const int field = static_cast<int>((bits >> 52) & 0x7FF);
  std::uint64_t significand = (bits << 11) | (std::uint64_t{1} << 63);
  const auto sign = static_cast<std::uint16_t>((bits >> 63) << 15);
  if (field == 0) return Extended::FromBits(sign, 0);  // zeros only here
  return Extended::FromBits(static_cast<std::uint16_t>(sign | (field - 1023 + 16383)),
                            significand);
}

void Ours(benchmark::State& state, Extended (*primitive)(Extended), double low,
          double high) {
  std::vector<Extended> arguments;
  for (double d : Arguments(low, high)) arguments.push_back(ToExtended(d));
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(primitive(arguments[i]));
    i = (i + 1) & 255;
  }
}

#if LDBL_MANT_DIG == 64
void LongDouble(benchmark::State& state, long double (*function)(long double),
                double low, double high) {
  std::vector<long double> arguments;
  for (double d : Arguments(low, high)) arguments.push_back(d);
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(function(arguments[i]));
    i = (i + 1) & 255;
  }
}

long double CLog2(long double x) { return log2l(x); }
long double CLog(long double x) { return logl(x); }
long double CLog1p(long double x) { return log1pl(x); }
long double CExp(long double x) { return expl(x); }
long double CExp2(long double x) { return exp2l(x); }
// What LOG computed: the product of the rounded constant and log2l.
long double CLog10Product(long double x) {
  return 0x9.A209A84FBCFF799p-5L * log2l(x);
}

BENCHMARK_CAPTURE(LongDouble, log2l, CLog2, 0.01, 1000.0);
BENCHMARK_CAPTURE(LongDouble, logl, CLog, 0.01, 1000.0);
BENCHMARK_CAPTURE(LongDouble, log1pl, CLog1p, 0.0, 0.25);
BENCHMARK_CAPTURE(LongDouble, expl, CExp, -20.0, 20.0);
BENCHMARK_CAPTURE(LongDouble, exp2l, CExp2, -20.0, 20.0);
BENCHMARK_CAPTURE(LongDouble, log10_product, CLog10Product, 0.01, 1000.0);
#endif

BENCHMARK_CAPTURE(Ours, Log2, evaluator::Log2, 0.01, 1000.0);
BENCHMARK_CAPTURE(Ours, NaturalLog, evaluator::NaturalLog, 0.01, 1000.0);
BENCHMARK_CAPTURE(Ours, LnOnePlus, evaluator::LnOnePlus, 0.0, 0.25);
BENCHMARK_CAPTURE(Ours, Exp, evaluator::Exp, -20.0, 20.0);
BENCHMARK_CAPTURE(Ours, Exp2, evaluator::Exp2, -20.0, 20.0);
BENCHMARK_CAPTURE(Ours, Log10Product, evaluator::Log10Product, 0.01, 1000.0);

}  // namespace

BENCHMARK_MAIN();
