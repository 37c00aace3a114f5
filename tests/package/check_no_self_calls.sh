#!/bin/sh
# The library must never reach its own exports through the dynamic symbol
# table: a relocation against one of them (a PLT slot or a GOT entry) would
# let a host's function of the same name take the call.
set -eu
exports=$(nm -D --defined-only "$1" | awk '$2 == "T" {sub(/@.*/, "", $3); print $3}')
if [ -z "$exports" ]; then
  echo "no exported functions found in $1"
  exit 1
fi
relocated=$(readelf -rW "$1" | awk '$3 ~ /^R_/ && NF >= 5 {sub(/@.*/, "", $5); print $5}' | sort -u)
self_calls=$(printf '%s\n' "$relocated" | grep -Fx "$exports" || true)
if [ -n "$self_calls" ]; then
  echo "relocations against the library's own exports:"
  echo "$self_calls"
  exit 1
fi
echo "no relocation names any of: $(echo $exports)"
