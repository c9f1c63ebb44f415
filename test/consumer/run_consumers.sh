#!/usr/bin/env bash
# Builds the example hosts against an installed tree twice, once through the CMake package and once
# through pkg-config, and runs them. Usage: run_consumers.sh PREFIX EXAMPLES_DIR WORK_DIR
set -euo pipefail
prefix=$(realpath "$1") examples=$(realpath "$2") work=$3
here=$(dirname "$(realpath "$0")")
rm -rf "$work" && mkdir -p "$work"

echo "--- find_package consumer"
cmake -S "$here" -B "$work/cmake" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" -DEXAMPLES_DIR="$examples" >/dev/null
cmake --build "$work/cmake" >/dev/null
LD_LIBRARY_PATH="$prefix/lib" "$work/cmake/sample_host"
LD_LIBRARY_PATH="$prefix/lib" "$work/cmake/unified_tags_host" "$examples/model.tags"

echo "--- pkg-config consumer"
export PKG_CONFIG_PATH="$prefix/lib/pkgconfig"
read -ra flags < <(pkg-config --cflags --libs vantrel-bridge)
for example in "$examples"/*.cpp; do
  name=$(basename "$example" .cpp)
  g++ -std=c++17 -Wall -Wextra -Werror "$example" "${flags[@]}" -o "$work/$name"
  args=()
  [ "$name" = unified_tags_host ] && args=("$examples/model.tags")
  LD_LIBRARY_PATH="$prefix/lib" "$work/$name" "${args[@]}"
done

echo "--- the installed command-line host, through the installed libraries"
"$prefix/bin/vantrel-host" demo "$prefix/share/vantrel-bridge/sample_model" | grep -E '^\[|steps succeeded'
