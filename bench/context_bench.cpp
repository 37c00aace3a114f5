// The process-wide functions against contexts: code page 932 and UTF-8 on
// the same texts. Built against an older library (without EVALO_UTF8) it
// runs the code page 932 half only, so two builds can be compared.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "workload_texts.h"
#include "evalo.h"

namespace {

struct Workload {
  std::string name;
  std::string cp932;
  std::string utf8;  // the same text in UTF-8
};

std::string Repeat(const std::string& piece, std::size_t bytes) {
  std::string s;
  while (s.size() < bytes) s += piece;
  return s;
}

using bench::SumOf;

const std::vector<Workload>& Workloads() {
  static const std::vector<Workload> workloads = [] {
    std::vector<Workload> w = {
        {"tiny", "1+2", "1+2"},
        {"typical", "(1+2)*3.5-4/2", "(1+2)*3.5-4/2"},
        {"functions", "SIN(0.5)+COS(0.5)*SQRT(2)", "SIN(0.5)+COS(0.5)*SQRT(2)"},
        {"sum100", SumOf(100), SumOf(100)},
        {"error", "1+2*xyz", "1+2*xyz"},
        // (1+2)*3.5-4/2 in full-width characters
        {"fullwidth",
         "\x81\x69\x82\x50\x81\x7B\x82\x51\x81\x6A\x81\x96\x82\x52\x81\x44\x82\x54\x81\x7C\x82\x53\x81\x5E\x82\x51",
         "（１＋２）＊３．５－４／２"},
        {"1MB", "1" + Repeat("+1", 1 << 20), "1" + Repeat("+1", 1 << 20)},
        {"1MB_fullwidth", "\x82\x50" + Repeat("\x81\x7B\x82\x50", 1 << 20), "１" + Repeat("＋１", 1 << 20)},
    };
    return w;
  }();
  return workloads;
}

void SetBytes(benchmark::State& state, const std::string& text) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void Exports(benchmark::State& state, const Workload* w) {
  format("");
  const char* text = w->cp932.c_str();
  for (auto _ : state) benchmark::DoNotOptimize(evalo(text));
  SetBytes(state, w->cp932);
}

void InContext(benchmark::State& state, evalo_context* ctx, const std::string& text) {
  if (ctx == nullptr) {
    state.SkipWithError("no context");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(evalo_evaluate(ctx, text.c_str()));
  SetBytes(state, text);
  evalo_destroy(ctx);
}

void CodePage932Context(benchmark::State& state, const Workload* w) { InContext(state, evalo_create(), w->cp932); }

#ifdef EVALO_UTF8
void Utf8Context(benchmark::State& state, const Workload* w) {
  InContext(state, evalo_create_with(EVALO_UTF8), w->utf8);
}
#endif

}  // namespace

int main(int argc, char** argv) {
  for (const Workload& w : Workloads()) {
    benchmark::RegisterBenchmark(("exports/" + w.name).c_str(), Exports, &w);
    benchmark::RegisterBenchmark(("cp932/" + w.name).c_str(), CodePage932Context, &w);
#ifdef EVALO_UTF8
    benchmark::RegisterBenchmark(("utf8/" + w.name).c_str(), Utf8Context, &w);
#endif
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
