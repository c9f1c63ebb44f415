#!/usr/bin/env bash
# Installs the build into a scratch prefix, builds the unified-tags example host against nothing but
# that prefix, in C++17, and runs it: the installed headers and libraries are all that a host needs.
# Usage: check_installed_host.sh BUILD_DIR LIBDIR HOST_SOURCE TAG_FILE COMPILER [FLAGS...]
set -euo pipefail
build_dir=$1 libdir=$2 host_source=$3 tag_file=$4 compiler=$5
shift 5

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build_dir" --prefix "$prefix" >/dev/null
"$compiler" -std=c++17 -Wall -Wextra -Wpedantic -Werror "$@" -I "$prefix/include/vantrel" "$host_source" \
  -o "$prefix/host" -L "$prefix/$libdir" -lvantrel_bridge -ltarvo_platform -Wl,-rpath,"$prefix/$libdir"

output=$("$prefix/host" "$tag_file")
printf '%s\n' "$output"
grep -qx 'BALCRD01 -> Balance.Crude.Period 1' <<<"$output"
grep -q '^refused: .*NOSUCH01' <<<"$output"
grep -q '^refused: GCHandle::FromIntPtr: .* has already been freed' <<<"$output"
