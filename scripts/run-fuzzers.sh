#!/usr/bin/env bash
# Builds the libFuzzer targets (preset fuzz: clang, ASan, UBSan) and runs each for DURATION seconds.
#   bash scripts/run-fuzzers.sh          # 10 s each: the smoke run that scripts/run-tests.sh makes
#   bash scripts/run-fuzzers.sh 600      # a long run, ten minutes each
# The committed seeds in fuzz/corpus/<target>/ are only read; what the fuzzers find grows in
# build/fuzz/corpus/<target>/. A failing input is saved as build/fuzz/artifacts/<target>-crash-...
# (replay it with build/fuzz/fuzz/<target>_fuzzer FILE) and ends the script with an error.
set -euo pipefail
cd "$(dirname "$0")/.."
duration=${1:-10}
bash scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

targets=(codec_utf8 codec_single_byte codec_iconv string_list tag_table handle_table)
mkdir -p build/fuzz/artifacts build/fuzz/logs
report=()
for target in "${targets[@]}"; do
  corpus=build/fuzz/corpus/$target
  log=build/fuzz/logs/$target.log
  mkdir -p "$corpus"
  echo "=== fuzzing $target for ${duration}s ==="
  if ! "build/fuzz/fuzz/${target}_fuzzer" -max_total_time="$duration" -timeout=10 -print_final_stats=1 \
      -artifact_prefix="build/fuzz/artifacts/$target-" "$corpus" "fuzz/corpus/$target" >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "FAILED: $target (log: $log)" >&2
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  report+=("$(printf '%-20s %12s executions in %ss, corpus %s inputs' "$target" "$runs" "$duration" \
    "$(find "$corpus" -type f | wc -l)")")
done
printf '%s\n' "${report[@]}"
