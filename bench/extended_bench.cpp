// The basic extended operations: the x87 (x86-64 only) against the integer
// arithmetic, over operands of everyday magnitude drawn once.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "evaluator/extended_soft.h"

#if defined(__x86_64__)
#include <cstring>
#endif

namespace {

using evaluator::soft::Bits;

constexpr std::size_t kOperands = 1024;  // a power of two: the index wraps by mask

const std::vector<Bits>& Operands() {
  static const std::vector<Bits> operands = [] {
    std::mt19937_64 engine(42);
    std::vector<Bits> v(kOperands);
    for (Bits& b : v) {
      const auto field = static_cast<std::uint16_t>(0x3FFF - 40 + engine() % 80);
      b = {engine() | evaluator::soft::kIntegerBit, field};
    }
    return v;
  }();
  return operands;
}

template <Bits (*Op)(Bits, Bits)>
void Portable(benchmark::State& state) {
  const std::vector<Bits>& v = Operands();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Op(v[i], v[(i + 1) & (kOperands - 1)]));
    i = (i + 1) & (kOperands - 1);
  }
}

void PortableSquareRoot(benchmark::State& state) {
  const std::vector<Bits>& v = Operands();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(evaluator::soft::SquareRoot(v[i]));
    i = (i + 1) & (kOperands - 1);
  }
}

void PortableToDouble(benchmark::State& state) {
  const std::vector<Bits>& v = Operands();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(evaluator::soft::ToDouble(v[i]));
    i = (i + 1) & (kOperands - 1);
  }
}

BENCHMARK(Portable<evaluator::soft::Add>)->Name("Portable/Add");
BENCHMARK(Portable<evaluator::soft::Multiply>)->Name("Portable/Multiply");
BENCHMARK(Portable<evaluator::soft::Divide>)->Name("Portable/Divide");
BENCHMARK(PortableSquareRoot)->Name("Portable/SquareRoot");
BENCHMARK(PortableToDouble)->Name("Portable/ToDouble");

#if defined(__x86_64__)
const std::vector<long double>& X87Operands() {
  static const std::vector<long double> operands = [] {
    std::vector<long double> v(kOperands);
    for (std::size_t i = 0; i < kOperands; ++i) {
      std::memcpy(&v[i], &Operands()[i].significand, 8);
      std::memcpy(reinterpret_cast<unsigned char*>(&v[i]) + 8, &Operands()[i].signExponent, 2);
    }
    return v;
  }();
  return operands;
}

template <typename Op>
void X87(benchmark::State& state, Op op) {
  const std::vector<long double>& v = X87Operands();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(op(v[i], v[(i + 1) & (kOperands - 1)]));
    i = (i + 1) & (kOperands - 1);
  }
}

BENCHMARK_CAPTURE(X87, Add, [](long double a, long double b) { return a + b; })->Name("X87/Add");
BENCHMARK_CAPTURE(X87, Multiply, [](long double a, long double b) { return a * b; })->Name("X87/Multiply");
BENCHMARK_CAPTURE(X87, Divide, [](long double a, long double b) { return a / b; })->Name("X87/Divide");
BENCHMARK_CAPTURE(X87, SquareRoot, [](long double a, long double) { return __builtin_sqrtl(a); })
    ->Name("X87/SquareRoot");
BENCHMARK_CAPTURE(X87, ToDouble, [](long double a, long double) { return static_cast<double>(a); })
    ->Name("X87/ToDouble");
#endif

}  // namespace

BENCHMARK_MAIN();
