#!/usr/bin/env bash
# Builds the benchmarks in Release, with muparser side by side, and runs them.
# Extra arguments go to the benchmark binary (e.g. --benchmark_filter=tiny).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${EVALO_BENCH_BUILD:-$top/build-bench}
if [ ! -f /usr/include/muParser.h ]; then
  apt-get update -qq && apt-get install -y -qq libmuparser-dev
fi
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DEVALO_BUILD_TESTS=OFF -DEVALO_BUILD_BENCHMARKS=ON >/dev/null
cmake --build "$build" -j2 --target evalo_bench >/dev/null
"$build/bench/evalo_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_out="$build/results.json" --benchmark_out_format=json "$@"
# The plot needs the scaling series: only after a run of everything.
if [ $# -eq 0 ]; then
  python3 "$top/bench/plot_scaling.py" "$build/results.json" "$build/scaling.svg"
  echo "scaling plot: $build/scaling.svg"
fi
