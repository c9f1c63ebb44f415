#!/usr/bin/env bash
# The whole test suite, in the normal build and in the AddressSanitizer/UBSan build; the core tests
# once more under valgrind's memcheck; and every fuzz target for a short while (10 s each).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs=$(nproc)
for preset in default asan; do
  echo "=== $preset build ==="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
  if [ "$preset" = default ]; then
    echo "=== Debian package ==="
    bash test/package/check_package.sh build/default
    echo "=== memcheck (core tests) ==="
    bash scripts/run-valgrind.sh core
  fi
done

# The 64-bit Windows DLLs, cross-built with mingw-w64, and their tests under Wine. The Wine prefix
# lives in the build folder; it is made once, before the tests start in parallel.
echo "=== windows build (mingw-w64, tests under Wine) ==="
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
export WINEPREFIX="$PWD/build/windows/wine-prefix" WINEDEBUG=-all
[ -d "$WINEPREFIX" ] || /usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1
ctest --preset windows -j "$jobs"
/usr/lib/wine/wineserver -k 2>/dev/null || true

echo "=== fuzz smoke run ==="
bash scripts/run-fuzzers.sh 10
