#!/usr/bin/env bash
# Builds the benchmarks (preset `bench`), runs them and prints the table of ratios. Every benchmark
# runs nine times (the 24-byte conversions and the bridge rows 25 times: bench/repetitions.h), the
# repetitions of all of them interleaved in random order, and the table compares medians, so that
# the drift of a shared machine touches both sides of a ratio alike (five were too few here: single
# runs moved by half).
# Extra arguments go to both benchmark programs (for instance --benchmark_filter=decode/UTF-8).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

# Only the benchmarks need these: Google Benchmark, and ICU as a competitor (the library never links it).
missing=()
[ -e /usr/include/benchmark/benchmark.h ] || missing+=(libbenchmark-dev)
[ -e /usr/include/unicode/ucnv.h ] || missing+=(libicu-dev)
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake --preset bench >/dev/null
cmake --build --preset bench -j2 --target conversion_bench bridge_bench >/dev/null

results=build/bench/results
mkdir -p "$results"
options=(--benchmark_repetitions=9 --benchmark_report_aggregates_only=true --benchmark_format=json
         --benchmark_enable_random_interleaving=true --benchmark_min_time=0.1)
# Both programs stay on one processor (BENCH_CPU, the first by default): the processors of a virtual
# machine need not run at the same speed, and a program that moves between them splits the
# repetitions of a row between two speeds.
pin=()
if command -v taskset >/dev/null; then pin=(taskset -c "${BENCH_CPU:-0}"); fi
"${pin[@]}" build/bench/bench/conversion_bench "${options[@]}" "$@" >"$results/conversion.json"
"${pin[@]}" build/bench/bench/bridge_bench "${options[@]}" "$@" >"$results/bridge.json"
python3 scripts/benchmark_table.py "$results/conversion.json" "$results/bridge.json"
