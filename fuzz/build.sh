#!/usr/bin/env bash
# Builds the libFuzzer targets with clang 14: the library's internals as a
# static archive instrumented for coverage, AddressSanitizer and
# UndefinedBehaviorSanitizer, then one executable per target with the
# exports compiled in.
#
#   fuzz/build.sh [build-dir]     (default: build-fuzz)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-fuzz}

if ! command -v clang++-14 >/dev/null || ! ls /usr/lib/llvm-14/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq clang-14 libclang-rt-14-dev >/dev/null
fi

# Division by zero is an expected, captured event; any other report aborts.
sanitize="-fsanitize=address,undefined,float-cast-overflow -fno-sanitize=float-divide-by-zero -fno-sanitize-recover=all"
flags="-g -O1 -fno-omit-frame-pointer $sanitize"

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DEVALO_BUILD_TESTS=OFF \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_CXX_FLAGS="$flags -fsanitize=fuzzer-no-link" >/dev/null
cmake --build "$build" --target evalo_core -j2

for target in fuzz_evaluate fuzz_format_evaluate fuzz_utf8; do
  clang++-14 -std=c++20 -Wall -Wextra -Wpedantic -ffp-contract=off $flags -fsanitize=fuzzer \
    -I. -Iinclude fuzz/$target.cpp interface/exports.cpp "$build/libevalo_core.a" \
    -o "$build/$target"
done
echo "fuzz targets in $build"
