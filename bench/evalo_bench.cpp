// Parse-and-evaluate benchmarks: every call evaluates from text. Each
// workload also runs its floor (one pass over the bytes plus from_chars of
// its numbers), and, when built with it, muparser on the same text; the
// summary prints the ratios.
#include <benchmark/benchmark.h>

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "workload_texts.h"
#include "evalo.h"

#ifdef EVALO_BENCH_WITH_MUPARSER
#include <muParser.h>
#endif

namespace {

struct Workload {
  std::string name;
  std::string expression;  // code page 932
  std::string muparser;    // the same expression for muparser, or empty
};

using bench::SumOf;

std::string Nested(int depth) {
  return std::string(static_cast<std::size_t>(depth), '(') + "1.5+2" + std::string(static_cast<std::size_t>(depth), ')');
}

const std::vector<Workload>& Workloads() {
  static const std::vector<Workload> workloads = [] {
    std::vector<Workload> w = {
        {"tiny", "1+2", "1+2"},
        {"typical", "(1+2)*3.5-4/2", "(1+2)*3.5-4/2"},
        {"functions", "SIN(0.5)+COS(0.5)*SQRT(2)", "sin(0.5)+cos(0.5)*sqrt(2)"},
        {"sum100", SumOf(100), SumOf(100)},
        {"nested20", Nested(20), Nested(20)},
        {"digits15", "123456789012345+987654321098765*2-111111111111111/3",
         "123456789012345+987654321098765*2-111111111111111/3"},
        {"commas", "1,234,567+2,345,678*3-4,567,890/5", ""},
        // (1+2)*3.5-4/2 in full-width characters
        {"fullwidth",
         "\x81\x69\x82\x50\x81\x7B\x82\x51\x81\x6A\x81\x96\x82\x52\x81\x44\x82\x54\x81\x7C\x82\x53\x81\x5E\x82\x51",
         ""},
    };
    // A megabyte of input: linear time, through the heap copy.
    std::string megabyte = "1";
    while (megabyte.size() < (1u << 20)) megabyte += "+1";
    w.push_back({"1MB", megabyte, ""});
    for (int terms : {10, 100, 1000, 10000})
      w.push_back({"terms" + std::to_string(terms), SumOf(terms), SumOf(terms)});
    // 252 is the deepest nesting around a sum of two (254 around a lone number).
    for (int depth : {10, 50, 100, 200, 252})
      w.push_back({"depth" + std::to_string(depth), Nested(depth), Nested(depth)});
    return w;
  }();
  return workloads;
}

// The literals of an expression, as the scanner would cut them.
std::vector<std::string> NumbersIn(const std::string& text) {
  std::vector<std::string> numbers;
  std::string current;
  for (const char c : text) {
    if ((c >= '0' && c <= '9') || c == '.') {
      current += c;
    } else if (c != ',') {
      if (!current.empty()) numbers.push_back(current);
      current.clear();
    }
  }
  if (!current.empty()) numbers.push_back(current);
  return numbers;
}

void EvaloValue(benchmark::State& state, const Workload* w) {
  format("");
  const char* text = w->expression.c_str();
  if (evalo(text), error() != 0) state.SkipWithError(errors());
  for (auto _ : state) benchmark::DoNotOptimize(evalo(text));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * w->expression.size()));
}

// The fixed cost of a call: the empty text, which is the Syntax error.
void EvaloEmpty(benchmark::State& state) {
  format("");
  for (auto _ : state) benchmark::DoNotOptimize(evalo(""));
}

void EvaloText(benchmark::State& state, const char* formatText) {
  format(formatText);
  const char* text = "(1+2)*3.5-4/2";
  for (auto _ : state) benchmark::DoNotOptimize(evalos(text));
  format("");
}

// The floor: one look at every byte (a table lookup, as any scanner does),
// then each number converted.
void Floor(benchmark::State& state, const Workload* w) {
  static const auto classes = [] {
    std::array<unsigned char, 256> c{};
    for (int b = '0'; b <= '9'; ++b) c[static_cast<std::size_t>(b)] = 1;
    return c;
  }();
  const std::vector<std::string> numbers = NumbersIn(w->expression);
  const std::string& text = w->expression;
  for (auto _ : state) {
    unsigned sum = 0;
    for (const char c : text) sum += classes[static_cast<unsigned char>(c)];
    benchmark::DoNotOptimize(sum);
    for (const std::string& n : numbers) {
      double v;
      std::from_chars(n.data(), n.data() + n.size(), v);
      benchmark::DoNotOptimize(v);
    }
  }
}

void ToCharsFloor(benchmark::State& state) {
  double v = (1 + 2) * 3.5 - 4.0 / 2 + 1.0 / 3;
  char text[32];
  for (auto _ : state) {
    benchmark::DoNotOptimize(v);
    auto r = std::to_chars(text, text + sizeof text, v, std::chars_format::general, 15);
    benchmark::DoNotOptimize(r.ptr);
  }
}

#ifdef EVALO_BENCH_WITH_MUPARSER
double MuparserValue(const std::string& text) {
  mu::Parser parser;
  parser.SetExpr(text);
  return parser.Eval();
}

// Parse and evaluate at every call, like evalo.
void Muparser(benchmark::State& state, const Workload* w) {
  const double mine = evalo(w->expression.c_str());
  double theirs;
  try {
    theirs = MuparserValue(w->muparser);
  } catch (const mu::Parser::exception_type& e) {
    state.SkipWithError(("muparser refuses it: " + e.GetMsg()).c_str());
    return;
  }
  // SIN and COS round to 10 decimals here, so the functions agree to 1e-9.
  if (!(std::fabs(mine - theirs) <= 1e-9 * std::fabs(mine))) {
    state.SkipWithError("results differ");
    return;
  }
  for (auto _ : state) {
    mu::Parser parser;
    parser.SetExpr(w->muparser);
    benchmark::DoNotOptimize(parser.Eval());
  }
}
#endif

// Prints, after the usual table, each workload's time against its floor and
// against muparser.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
      std::string name = run.run_name.function_name;
      times_[name] = run.GetAdjustedRealTime();
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\n%-10s %12s %12s %8s %12s %8s\n", "workload", "evalo ns", "floor ns", "x floor", "muparser ns",
                "x faster");
    for (const Workload& w : Workloads()) {
      const double mine = Lookup("evalo/" + w.name);
      const double floor = Lookup("floor/" + w.name);
      const double theirs = Lookup("muparser/" + w.name);
      std::printf("%-10s %12.1f %12.1f %8.2f", w.name.c_str(), mine, floor, mine / floor);
      if (theirs > 0)
        std::printf(" %12.1f %8.1f\n", theirs, theirs / mine);
      else
        std::printf(" %12s %8s\n", "-", "-");
    }
    // Nesting: the cost of each further level, from the shallowest and
    // deepest runs of the depth series.
    const double shallow = Lookup("evalo/depth10");
    const double deep = Lookup("evalo/depth252");
    if (shallow > 0 && deep > 0) std::printf("\nns per nesting level (10 to 252): %.2f\n", (deep - shallow) / 242);
    if (const double empty = Lookup("evalo/empty"); empty > 0) std::printf("evalo(\"\"): %.1f ns\n", empty);
    if (const double text = Lookup("evalos/empty_format"), value = Lookup("evalo/typical"), digits = Lookup("floor/to_chars");
        text > 0 && value > 0)
      std::printf("evalos - evalo on typical: %.1f ns (to_chars of 15 digits: %.1f ns)\n", text - value, digits);
  }

 private:
  double Lookup(const std::string& name) const {
    const auto found = times_.find(name);
    return found == times_.end() ? 0 : found->second;
  }
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  for (const Workload& w : Workloads()) {
    benchmark::RegisterBenchmark(("evalo/" + w.name).c_str(), EvaloValue, &w);
    benchmark::RegisterBenchmark(("floor/" + w.name).c_str(), Floor, &w);
#ifdef EVALO_BENCH_WITH_MUPARSER
    if (!w.muparser.empty()) benchmark::RegisterBenchmark(("muparser/" + w.name).c_str(), Muparser, &w);
#endif
  }
  benchmark::RegisterBenchmark("evalo/empty", EvaloEmpty);
  benchmark::RegisterBenchmark("evalos/empty_format", EvaloText, "");
  benchmark::RegisterBenchmark("evalos/format_5.2", EvaloText, "5.2");
  benchmark::RegisterBenchmark("evalos/pattern_%8.3f", EvaloText, "%8.3f");
  benchmark::RegisterBenchmark("floor/to_chars", ToCharsFloor);
#ifndef EVALO_BENCH_WITH_MUPARSER
  std::puts("muparser not built in: side-by-side runs skipped (bench/run.sh installs it)");
#endif
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
