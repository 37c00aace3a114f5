#!/bin/sh
# Installs the build tree into a temporary prefix, moves the installed tree
# elsewhere, checks its layout, runs the installed tool, and builds and runs a
# C++ program that finds the package in its new place with find_package.
# usage: find_package_consumer.sh CMAKE BUILD_DIR LIBDIR INCLUDEDIR BINDIR CONSUMER_SOURCE CXX
set -eu
cmake=$1 build=$2 libdir=$3 includedir=$4 bindir=$5 consumer=$6 cxx=$7
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$cmake" --install "$build" --prefix "$work/installed" >/dev/null
mv "$work/installed" "$work/moved"
prefix=$work/moved
lib=$prefix/$libdir

[ "$(readlink "$lib/libevalo.so")" = libevalo.so.1 ] || fail "libevalo.so does not point to libevalo.so.1"
[ "$(readlink "$lib/libevalo.so.1")" = libevalo.so.1.0.0 ] || fail "libevalo.so.1 does not point to libevalo.so.1.0.0"
readelf -d "$lib/libevalo.so.1.0.0" | grep -qF 'Library soname: [libevalo.so.1]' || fail "SONAME is not libevalo.so.1"
[ -f "$prefix/$includedir/evalo.h" ] || fail "header not installed"

tool_output=$("$prefix/$bindir/evalo" '1+2') || fail "the installed tool failed after the move"
[ "$tool_output" = 3 ] || fail "the installed tool printed '$tool_output' for 1+2"

"$cmake" -S "$consumer" -B "$work/build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF >"$work/configure.log" 2>&1 ||
  { cat "$work/configure.log"; fail "configuring the consumer"; }
grep -qF "evalo package: $prefix/" "$work/configure.log" ||
  { cat "$work/configure.log"; fail "find_package did not use the moved tree"; }
"$cmake" --build "$work/build" >"$work/build.log" 2>&1 ||
  { cat "$work/build.log"; fail "building the consumer"; }
"$work/build/consumer"
