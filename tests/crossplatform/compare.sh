#!/bin/sh
# The cross-platform comparison: one file of generated expressions with
# format texts, evaluated by each build's driver (natively, under qemu or
# under node), and the outputs compared byte for byte. Any difference fails.
#
#     tests/crossplatform/compare.sh [-n COUNT] [-s SEED] BUILD_DIR BUILD_DIR...
set -eu
here=$(cd "$(dirname "$0")" && pwd)
count=100000
seed=""
if [ "${1:-}" = "-n" ]; then
  count=$2
  shift 2
fi
if [ "${1:-}" = "-s" ]; then
  seed=$2
  shift 2
fi
if [ $# -lt 2 ]; then
  echo "usage: $0 [-n COUNT] [-s SEED] BUILD_DIR BUILD_DIR..." >&2
  exit 2
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$here/generate_expressions.py" "$count" $seed > "$work/cases.txt"
echo "$(wc -l < "$work/cases.txt") expressions"

reference=""
status=0
for build in "$@"; do
  name=$(basename "$build")
  start=$(date +%s)
  "$build/tests/crossplatform/run_bits_driver.sh" < "$work/cases.txt" > "$work/$name.txt"
  echo "$name: $(wc -l < "$work/$name.txt") results in $(( $(date +%s) - start )) s"
  if [ -z "$reference" ]; then
    reference=$name
  elif ! cmp -s "$work/$reference.txt" "$work/$name.txt"; then
    status=1
    echo "$name differs from $reference:"
    # Up to 20 differing lines with their inputs, raw bytes shown as escapes.
    paste -d '\n' "$work/cases.txt" "$work/$reference.txt" "$work/$name.txt" |
      awk 'NR % 3 == 1 {input = $0} NR % 3 == 2 {a = $0} NR % 3 == 0 && a != $0 {
             print "  input:  " input; print "  " ref ": " a; print "  " name ": " $0; if (++n == 20) exit }' \
          ref="$reference" name="$name" | cat -v
  fi
done
[ "$status" -eq 0 ] && echo "identical on: $*"
exit "$status"
