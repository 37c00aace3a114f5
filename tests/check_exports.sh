#!/bin/sh
# The shared object must export exactly the library's six functions and the
# context functions, the batches and the constant version.
set -eu
expected="error
errors
evalo
evalo_create
evalo_destroy
evalo_error
evalo_error_text
evalo_evaluate
evalo_evaluate_many
evalo_evaluate_text
evalo_evaluate_text_many
evalo_set_format
evalo_version
evalos
format
version"
actual=$(nm -D --defined-only "$1" | awk '$2 ~ /^[TtWDdBbRrVi]$/ {print $3}' | sed 's/@.*//' | sort)
if [ "$actual" != "$expected" ]; then
  echo "exported symbols differ from the expected set:"
  echo "$actual"
  exit 1
fi
echo "exports: $(echo $actual)"
