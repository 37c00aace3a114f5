// The decimal conversions, the standard library's against the header-only
// ones the library uses (fast_float for literals, {fmt} for digits), on the
// same values. Both sides are correctly rounded, so they give the same text
// and the same double; only the time differs.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <fast_float/fast_float.h>
#include <fmt/compile.h>

namespace {

std::vector<double> Values() {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> mantissa(1, 10);
  std::uniform_int_distribution<int> exponent(-30, 30);
  std::vector<double> values(1024);
  for (double& x : values) x = mantissa(random) * std::pow(10.0, exponent(random));
  return values;
}

// Literals the exact-division path does not take: 20 to 40 digits.
std::vector<std::string> LongLiterals() {
  std::mt19937_64 random(9);
  std::uniform_int_distribution<int> digit(0, 9);
  std::uniform_int_distribution<int> length(20, 40);
  std::vector<std::string> texts(1024);
  for (std::string& text : texts) {
    const int n = length(random);
    for (int k = 0; k < n; ++k) text.push_back(static_cast<char>('0' + digit(random)));
    text[static_cast<std::size_t>(n / 3)] = '.';
  }
  return texts;
}

template <typename Write>
void WriteEach(benchmark::State& state, Write write) {
  const std::vector<double> values = Values();
  char text[40];
  std::size_t i = 0;
  for (auto _ : state) {
    char* end = write(text, values[i++ % values.size()]);
    benchmark::DoNotOptimize(end);
    benchmark::ClobberMemory();
  }
}

void ResultTextStd(benchmark::State& state) {
  WriteEach(state, [](char* text, double x) {
    return std::to_chars(text, text + 40, x, std::chars_format::general, 15).ptr;
  });
}
void ResultTextFmt(benchmark::State& state) {
  WriteEach(state, [](char* text, double x) { return fmt::format_to(text, FMT_COMPILE("{:.15g}"), x); });
}
void EighteenDigitsStd(benchmark::State& state) {
  WriteEach(state, [](char* text, double x) {
    return std::to_chars(text, text + 40, x, std::chars_format::scientific, 17).ptr;
  });
}
void EighteenDigitsFmt(benchmark::State& state) {
  WriteEach(state, [](char* text, double x) { return fmt::format_to(text, FMT_COMPILE("{:.17e}"), x); });
}

template <typename Read>
void ReadEach(benchmark::State& state, Read read) {
  const std::vector<std::string> texts = LongLiterals();
  std::size_t i = 0;
  for (auto _ : state) {
    const std::string& text = texts[i++ % texts.size()];
    double value = 0;
    read(text.data(), text.data() + text.size(), value);
    benchmark::DoNotOptimize(value);
  }
}

void LongLiteralStd(benchmark::State& state) {
  ReadEach(state, [](const char* first, const char* last, double& value) { std::from_chars(first, last, value); });
}
void LongLiteralFastFloat(benchmark::State& state) {
  ReadEach(state, [](const char* first, const char* last, double& value) {
    fast_float::from_chars(first, last, value);
  });
}

BENCHMARK(ResultTextStd);
BENCHMARK(ResultTextFmt);
BENCHMARK(EighteenDigitsStd);
BENCHMARK(EighteenDigitsFmt);
BENCHMARK(LongLiteralStd);
BENCHMARK(LongLiteralFastFloat);

}  // namespace

BENCHMARK_MAIN();
