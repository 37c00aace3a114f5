#!/usr/bin/env bash
# Runs one of the JavaScript suites for CTest: "package" (node --test) or
# "page" (the calculator page in headless Chromium). Exits 77, which CTest
# reports as skipped, with the reason when something it needs is missing;
# with EVALO_JS_REQUIRED=1 (as in CI) a missing piece fails instead.
set -euo pipefail
cd "$(dirname "$0")/.."

skip() {
  if [ "${EVALO_JS_REQUIRED:-0}" = 1 ]; then
    echo "FAILED: $* (EVALO_JS_REQUIRED=1)"
    exit 1
  fi
  echo "SKIPPED: $*"
  exit 77
}

command -v node >/dev/null || skip "node is not installed"
command -v em-config >/dev/null || skip "emscripten is not installed, so the WebAssembly module cannot be built"
if [ "$1" = page ]; then
  [ -x /usr/bin/chromium ] || skip "/usr/bin/chromium is not installed (apt-get install chromium)"
  [ -d node_modules/puppeteer-core ] || skip "puppeteer-core is not installed (npm ci in js/)"
fi

# A library that does not build for WebAssembly is the wasm preset's failure
# to report; here it is a reason to skip, except where the module is required.
if ! log=$(node scripts/build.mjs 2>&1); then
  echo "$log" | grep -E 'error|Error' | head -20 || true
  skip "the WebAssembly module does not build (above)"
fi

case "$1" in
  package) exec node --test test/*.test.js ;;
  page) exec node --test test-browser/*.test.js ;;
  *) echo "usage: $0 package|page" >&2; exit 2 ;;
esac
