#!/bin/sh
# Installs the Debian packages a build needs, only those that are missing
# (one apt-get update first, only then). Running it again changes nothing.
#
#     scripts/install-deps.sh           the native build, its tests and tool
#     scripts/install-deps.sh --cross   also the aarch64 and wasm builds and
#                                       the test-only MPFR reference
set -eu

packages="cmake g++ make python3 pkg-config libgtest-dev libfast-float-dev libfmt-dev"
if [ "${1:-}" = "--cross" ]; then
  packages="$packages g++-aarch64-linux-gnu qemu-user emscripten nodejs googletest libmpfr-dev"
elif [ $# -gt 0 ]; then
  echo "usage: $0 [--cross]" >&2
  exit 2
fi

missing=""
for package in $packages; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
    missing="$missing $package"
  fi
done
[ -z "$missing" ] && exit 0

run_as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}
echo "installing:$missing" >&2
run_as_root apt-get update -qq
# shellcheck disable=SC2086  # one word per package
run_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
