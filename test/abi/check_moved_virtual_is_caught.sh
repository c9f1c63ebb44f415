#!/usr/bin/env bash
# Runs the slot test and the ABI check on a build whose interface header has one virtual moved,
# and passes only when both fail and both name the moved operation.
#   check_moved_virtual_is_caught.sh OPERATION SLOT_TEST CHECK_ABI LIBRARY BASELINE HEADERS
set -uo pipefail
operation=$1 slot_test=$2 check_abi=$3 library=$4 baseline=$5 headers=$6
verdict=0

expect_caught() {
  local name=$1 output status
  shift
  output=$("$@" 2>&1)
  status=$?
  if [ "$status" -eq 0 ]; then
    echo "$name passed although $operation was moved:"
    verdict=1
  elif ! grep -q "$operation" <<<"$output"; then
    echo "$name failed without naming $operation:"
    verdict=1
  else
    echo "$name caught the moved $operation:"
  fi
  grep -F "$operation" <<<"$output" | head -n 4 | sed 's/^/    /'
}

expect_caught "the slot test" "$slot_test"
expect_caught "the ABI check" bash "$check_abi" "$library" "$baseline" "$headers"
exit $verdict
