#!/bin/sh
# Installs the build tree into a temporary prefix and builds and runs a C
# program with the flags pkg-config gives; then moves the installed tree and
# does it again, the flags now naming the new place.
# usage: pkg_config_consumer.sh CMAKE BUILD_DIR LIBDIR CONSUMER_SOURCE CC PKG_CONFIG
set -eu
cmake=$1 build=$2 libdir=$3 consumer=$4 cc=$5 pkg_config=$6
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

build_and_run() {
  prefix=$1
  # Only this tree's .pc files, never the system's.
  PKG_CONFIG_LIBDIR=$prefix/$libdir/pkgconfig
  export PKG_CONFIG_LIBDIR
  unset PKG_CONFIG_PATH PKG_CONFIG_SYSROOT_DIR
  [ "$("$pkg_config" --modversion evalo)" = 1.0.0 ] || fail "modversion"
  cflags=$("$pkg_config" --cflags evalo)
  libs=$("$pkg_config" --libs evalo)
  libdir_flag=$("$pkg_config" --variable=libdir evalo)
  echo "pkg-config: $cflags $libs"
  for flags in "$cflags" "$libs" "$libdir_flag"; do
    case "$flags" in
      *"$prefix/"*) ;;
      *) fail "'$flags' does not name $prefix" ;;
    esac
  done
  "$cc" -std=c11 -Wall -Wextra -Wpedantic -Werror $cflags "$consumer" $libs \
    -Wl,-rpath,"$libdir_flag" -o "$prefix.consumer"
  "$prefix.consumer"
}

"$cmake" --install "$build" --prefix "$work/installed" >/dev/null
build_and_run "$work/installed"
mv "$work/installed" "$work/moved"
build_and_run "$work/moved"
