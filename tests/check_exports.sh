#!/bin/sh
# The shared object must export exactly the library's six functions.
set -eu
expected="error
errors
evalo
evalos
format
version"
actual=$(nm -D --defined-only "$1" | awk '$2 ~ /^[TtWDdBbRrVi]$/ {print $3}' | sed 's/@.*//' | sort)
if [ "$actual" != "$expected" ]; then
  echo "exported symbols differ from the expected six:"
  echo "$actual"
  exit 1
fi
echo "exports: $(echo $actual)"
