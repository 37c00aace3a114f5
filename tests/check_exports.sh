#!/bin/sh
# The shared object must export exactly the library's six functions, the
# context functions, the batches and the constant version, each under its
# version node: what 1.0 had stays in EVALO_1.0, so programs linked against
# 1.0 keep binding.
set -eu
expected="error@@EVALO_1.0
errors@@EVALO_1.0
evalo@@EVALO_1.0
evalo_create@@EVALO_1.0
evalo_create_with@@EVALO_1.1
evalo_destroy@@EVALO_1.0
evalo_error@@EVALO_1.0
evalo_error_length@@EVALO_1.1
evalo_error_offset@@EVALO_1.1
evalo_error_text@@EVALO_1.0
evalo_evaluate@@EVALO_1.0
evalo_evaluate_many@@EVALO_1.1
evalo_evaluate_text@@EVALO_1.0
evalo_evaluate_text_many@@EVALO_1.1
evalo_set_format@@EVALO_1.0
evalo_version@@EVALO_1.1
evalos@@EVALO_1.0
format@@EVALO_1.0
version@@EVALO_1.0"
actual=$(nm -D --defined-only "$1" | awk '$2 ~ /^[TtWDdBbRrVi]$/ {print $3}' | sort)
if [ "$actual" != "$expected" ]; then
  echo "exported symbols differ from the expected set:"
  echo "$actual"
  exit 1
fi
echo "exports: $(echo $actual)"
