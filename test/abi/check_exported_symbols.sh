#!/usr/bin/env bash
# Compares the dynamic symbols a shared library defines with a committed list, so that nothing is
# exported by accident and nothing promised goes missing. With --update, rewrites the list instead.
set -euo pipefail
library=$1 expected=$2 mode=${3:-check}

actual=$(nm -D --defined-only --demangle "$library" | awk '$2 != "A" { $1 = ""; sub(/^ /, ""); print }' | LC_ALL=C sort)
if [ "$mode" = --update ]; then
  printf '%s\n' "$actual" >"$expected"
  exit 0
fi
if ! diff -u "$expected" <(printf '%s\n' "$actual"); then
  echo "exported symbols of $(basename "$library") differ from $expected (lines with + are new, - are missing)" >&2
  exit 1
fi
echo "exported symbols match $expected ($(printf '%s\n' "$actual" | wc -l) symbols)"
