// What every call pays whatever its text: the empty text (the Syntax error
// at offset 0), an error with its place in a context, and the result text
// of values that are written exactly or need the general conversion.
#include <benchmark/benchmark.h>

#include "evalo.h"

namespace {

void EvaloValue(benchmark::State& state, const char* text) {
  for (auto _ : state) benchmark::DoNotOptimize(evalo(text));
}

void ContextValue(benchmark::State& state, const char* text) {
  evalo_context* ctx = evalo_create();
  for (auto _ : state) benchmark::DoNotOptimize(evalo_evaluate(ctx, text));
  evalo_destroy(ctx);
}

void EvalosText(benchmark::State& state, const char* text) {
  format("");
  for (auto _ : state) benchmark::DoNotOptimize(evalos(text));
}

}  // namespace

BENCHMARK_CAPTURE(EvaloValue, empty, "");
BENCHMARK_CAPTURE(EvaloValue, cut_at_equals, "1+2=3");
BENCHMARK_CAPTURE(ContextValue, empty, "");
BENCHMARK_CAPTURE(ContextValue, syntax_error, "1+*2");
BENCHMARK_CAPTURE(EvalosText, integer, "1+2");
BENCHMARK_CAPTURE(EvalosText, half, "(1+2)*3.5-4/2");
BENCHMARK_CAPTURE(EvalosText, third, "1/3");

BENCHMARK_MAIN();
