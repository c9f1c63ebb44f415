#!/usr/bin/env bash
# Every code block that the README marks with <!-- example: FILE --> must be FILE, verbatim, so the
# examples a reader copies are the ones the tests build and run. Usage: readme_examples_test.sh ROOT
set -euo pipefail
root=$1
checked=0
while IFS= read -r file; do
  block=$(awk -v marker="<!-- example: $file -->" '
    $0 == marker { found = 1; next }
    found && /^```/ { if (inside) exit; inside = 1; next }
    inside { print }' "$root/README.md")
  if ! diff -u "$root/$file" <(printf '%s\n' "$block"); then
    echo "README's copy of $file differs from the file" >&2
    exit 1
  fi
  checked=$((checked + 1))
done < <(sed -n 's/^<!-- example: \(.*\) -->$/\1/p' "$root/README.md")
[ "$checked" -ge 2 ] || { echo "expected at least two marked examples, found $checked" >&2; exit 1; }
echo "$checked README examples match their files"
