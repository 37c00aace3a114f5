#!/usr/bin/env bash
# Runs each fuzz target for a bounded time from the seed corpus and fails on
# the first finding (a crash, a sanitizer report, a broken property or an
# input slower than the timeout). New inputs go to a scratch corpus in the
# build directory; the seeds in fuzz/corpus/ are not touched.
#
#   fuzz/run.sh [build-dir] [seconds-per-target]     (defaults: build-fuzz, 30)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-fuzz}
seconds=${2:-30}

status=0
for target in fuzz_evaluate fuzz_format_evaluate fuzz_utf8; do
  seeds=fuzz/corpus/${target#fuzz_}
  work="$build/corpus/$target"
  mkdir -p "$work" "$build/findings"
  log="$build/$target.log"
  if "$build/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
      -dict=fuzz/evalo.dict -print_final_stats=1 -artifact_prefix="$build/findings/$target-" \
      "$work" "$seeds" >"$log" 2>&1; then
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$')
    last=$(grep -E '^#[0-9]+' "$log" | tail -1)
    echo "$target: $runs runs in ${seconds}s, no finding; $(echo "$last" | grep -o 'cov: [0-9]* ft: [0-9]* corp: [0-9]*')"
  else
    status=1
    echo "$target: FINDING (see $log)"
    grep -E 'FINDING|ERROR|SUMMARY|Test unit written' -A3 "$log" | head -20
  fi
done
exit $status
