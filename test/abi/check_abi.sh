#!/usr/bin/env bash
# Compares the ABI of the bridge library, as abidw reads it from the debug information, with a
# committed baseline, and fails on any difference that is not a committed update of the baseline.
# With --update, rewrites the baseline instead (review the diff before committing it).
#
#   check_abi.sh LIBRARY BASELINE PUBLIC_HEADERS_DIR [--update]
#
# Only the public surface is recorded (see public_interface.supp): the two interfaces with their
# slots and static functions, and the types they reach, as the public headers define them. The
# implementation may change freely without churning the baseline; its exported symbols are checked
# by check_exported_symbols.sh.
set -euo pipefail
library=$1 baseline=$2 headers=$3 mode=${4:-check}
here=$(cd "$(dirname "$0")" && pwd)
source_root=$(cd "$headers/.." && pwd)

options=(--suppressions "$here/public_interface.supp" --exported-interfaces-only --headers-dir "$headers"
         --drop-private-types --no-show-locs --no-corpus-path --no-comp-dir-path)

# Translation units are named by path; relative to the source tree they are the same in every clone.
read_abi() { abidw "${options[@]}" "$library" | sed "s|path='$source_root/|path='|"; }

if [ "$mode" = --update ]; then
  read_abi >"$baseline"
  echo "wrote the ABI of $(basename "$library") to $baseline"
  exit 0
fi

# Both sides are read the same way, so only a change of the library itself can differ.
current=$(mktemp)
trap 'rm -f "$current"' EXIT
read_abi >"$current"
status=0
report=$(abidiff --no-show-locs "$baseline" "$current") || status=$?
if [ "$status" -ne 0 ]; then
  printf '%s\n' "$report"
  # abidiff's status is a bit set: 1 error, 2 usage error, 4 ABI change, 8 incompatible change.
  echo "the ABI of $(basename "$library") differs from $baseline (abidiff status $status)." >&2
  echo "If the change is intended, rerun with --update, review the diff and commit the baseline." >&2
  exit 1
fi
[ -z "$report" ] || printf '%s\n' "$report"
echo "ABI of $(basename "$library") matches $baseline"
