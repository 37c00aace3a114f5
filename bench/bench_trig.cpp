// The trigonometric primitives against the C library's long double
// functions they replace, on the same arguments in the same run.

#include <benchmark/benchmark.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "evaluator/functions.h"
#include "evaluator/primitives.h"
#include "evaluator/trigonometric.h"

namespace {

using evaluator::Extended;

// A double's exact value as an extended value (normal doubles only).
Extended FromDouble(double d) {
  const auto bits = std::bit_cast<std::uint64_t>(d);
  const auto sign = static_cast<std::uint16_t>((bits >> 48) & 0x8000);
  const int field = static_cast<int>((bits >> 52) & 0x7FF);
  const std::uint64_t significand = ((bits << 11) | (std::uint64_t{1} << 63));
  return Extended::FromBits(
      static_cast<std::uint16_t>(sign | (field - 1023 + 16383)), significand);
}

// Arguments spread over [−range, range]: a fixed set, cycled through.
std::vector<double> Doubles(double range) {
  std::mt19937_64 random(42);
  std::uniform_real_distribution<double> uniform(-range, range);
  std::vector<double> values(1024);
  for (double& v : values) v = uniform(random);
  return values;
}

template <Extended (*Function)(Extended) noexcept>
void Ours(benchmark::State& state) {
  std::vector<Extended> arguments;
  for (double d : Doubles(static_cast<double>(state.range(0))))
    arguments.push_back(FromDouble(d));
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Function(arguments[i]));
    i = (i + 1) % arguments.size();
  }
}

void OursArcTangent2(benchmark::State& state) {
  const auto ys = Doubles(10);
  const auto xs = Doubles(10);
  std::vector<Extended> y, x;
  for (std::size_t k = 0; k < ys.size(); ++k) {
    y.push_back(FromDouble(ys[k]));
    x.push_back(FromDouble(xs[(k * 7 + 3) % xs.size()]));
  }
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(evaluator::ArcTangent2(y[i], x[i]));
    i = (i + 1) % y.size();
  }
}

// The whole SIN/COS/TAN step: primitive and 10-decimal rounding.
template <std::uint8_t Code>
void Step(benchmark::State& state) {
  const auto arguments = Doubles(static_cast<double>(state.range(0)));
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(evaluator::Trigonometric(Code, arguments[i]));
    i = (i + 1) % arguments.size();
  }
}

BENCHMARK_TEMPLATE(Step, evaluator::function_code::kSine)->Name("step/SIN")->Arg(10);
BENCHMARK_TEMPLATE(Step, evaluator::function_code::kCosine)->Name("step/COS")->Arg(10);
BENCHMARK_TEMPLATE(Step, evaluator::function_code::kTangent)->Name("step/TAN")->Arg(10);

BENCHMARK_TEMPLATE(Ours, evaluator::Sine)->Name("trig/Sine")->Arg(10)->Arg(1000000);
BENCHMARK_TEMPLATE(Ours, evaluator::Cosine)->Name("trig/Cosine")->Arg(10)->Arg(1000000);
BENCHMARK_TEMPLATE(Ours, evaluator::Tangent)->Name("trig/Tangent")->Arg(10)->Arg(1000000);
BENCHMARK(OursArcTangent2)->Name("trig/ArcTangent2");

#if defined(__x86_64__)
static_assert(std::numeric_limits<long double>::digits == 64);

template <long double (*Function)(long double)>
void Library(benchmark::State& state) {
  std::vector<long double> arguments;
  for (double d : Doubles(static_cast<double>(state.range(0))))
    arguments.push_back(d);
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Function(arguments[i]));
    i = (i + 1) % arguments.size();
  }
}

void LibraryArcTangent2(benchmark::State& state) {
  const auto ys = Doubles(10);
  const auto xs = Doubles(10);
  std::vector<long double> y, x;
  for (std::size_t k = 0; k < ys.size(); ++k) {
    y.push_back(ys[k]);
    x.push_back(xs[(k * 7 + 3) % xs.size()]);
  }
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(atan2l(y[i], x[i]));
    i = (i + 1) % y.size();
  }
}

// The step as it was computed with the C library's sinl.
void LibraryStep(benchmark::State& state) {
  const auto arguments = Doubles(static_cast<double>(state.range(0)));
  std::size_t i = 0;
  for (auto _ : state) {
    const double r = static_cast<double>(sinl(arguments[i]));
    const double scaled = static_cast<double>(static_cast<long double>(r) * 1e10L);
    const double whole = scaled >= 0 ? std::floor(scaled + 0.5) : std::ceil(scaled - 0.5);
    benchmark::DoNotOptimize(static_cast<long double>(whole) / 1e10L);
    i = (i + 1) % arguments.size();
  }
}
BENCHMARK(LibraryStep)->Name("step/SIN-sinl")->Arg(10);

long double LibrarySine(long double x) { return sinl(x); }
long double LibraryCosine(long double x) { return cosl(x); }
long double LibraryTangent(long double x) { return tanl(x); }

BENCHMARK_TEMPLATE(Library, LibrarySine)->Name("libc/sinl")->Arg(10)->Arg(1000000);
BENCHMARK_TEMPLATE(Library, LibraryCosine)->Name("libc/cosl")->Arg(10)->Arg(1000000);
BENCHMARK_TEMPLATE(Library, LibraryTangent)->Name("libc/tanl")->Arg(10)->Arg(1000000);
BENCHMARK(LibraryArcTangent2)->Name("libc/atan2l");
#endif

}  // namespace

BENCHMARK_MAIN();
