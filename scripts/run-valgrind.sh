#!/usr/bin/env bash
# Runs the test programs of the default build under valgrind's memcheck. An invalid read or write,
# a jump on uninitialised memory, a bad free or a leak (definite or indirect) fails the run.
#   bash scripts/run-valgrind.sh        # the core tests: interop, backend text, utility, file
#                                       # names, unified tags, the host programs and the
#                                       # reliability tests
#   bash scripts/run-valgrind.sh all    # every test program besides
# Each program runs once with all its tests, and again under the locales its ctest variants use.
# Programs the tests start (helper programs, LibreOffice) run natively. Left out:
# - the tests that derive the full-cost cipher key (600,000 PBKDF2 rounds), which memcheck would make
#   take minutes each: HostEnvironmentTest.CipherRoundTrips*, Cipher.TheBackendUsesTheFullCostBothWays;
# - the tests of a program that cannot start (FilesHostTest.ErrorsAreCatchableByType*,
#   OpenAndWaitTest.AProgramThatCannotStart*, DocumentsTest.AViewerThatCannotStart*): posix_spawn
#   learns of a failed exec through memory it shares with the child (CLONE_VFORK), which valgrind
#   cannot give it, so under valgrind the program seems to start and exit with 127;
# - the script-driven tests (command-line host, README examples, installed tree, package).
set -euo pipefail
cd "$(dirname "$0")/.."
scope=${1:-core}
bash scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"

build=build/default
locales=$build/test/locales
bash test/interop/make_test_locales.sh "$locales" >/dev/null

# One run per line: environment (or -), program under build/default/test, gtest filter (or -).
core_runs="
- interop/narrow_codec_test -
- platform/runtime/runtime_test -
- utility/vantrel_wrapper_test -
LC_ALL=en_US.ISO-8859-1 utility/vantrel_wrapper_test -
- file_names/file_name_getters_test -
- unified_tags/unified_tags_wrapper_test -
- host/public_interface_test -
- host/unified_tags_host_test -
- host/files_host_test -FilesHostTest.ErrorsAreCatchableByTypeAcrossTheLibraryBoundary
- host/file_name_slots_test -
- host/environment_host_test -HostEnvironmentTest.CipherRoundTrips*
- reliability/reliability_test -
LC_ALL=ja_JP.EUC-JP reliability/reliability_test AllocationFailure.*
LC_ALL=en_US.ISO-8859-1,EXPECTED_CODESET=ISO-8859-1,FAILURE_MODE=once reliability/codec_first_use_test -
LC_ALL=ja_JP.EUC-JP,EXPECTED_CODESET=EUC-JP,FAILURE_MODE=from-then-on reliability/codec_first_use_test -
"
cannot_start=OpenAndWaitTest.AProgramThatCannotStartRaisesItsNameAndTheReason
cannot_start+=:DocumentsTest.AViewerThatCannotStartRaisesItsNameAndTheReason
all_runs="
LC_ALL=ru_RU.KOI8-R interop/locale_probe -
- platform/runtime/runtime_test -
- platform/model_container/tag_table_resolver_test -
- platform/model_container/tarvo_file_name_manager_test -
- platform/vantrel/vantrel_environment_test -Cipher.TheBackendUsesTheFullCostBothWays
- platform/vantrel/vantrel_file_helpers_test -
- platform/vantrel/vantrel_files_test -${cannot_start}
LC_ALL=en_US.UTF-8 platform/vantrel/vantrel_files_test -${cannot_start}
- platform/vantrel/vantrel_spreadsheet_test -
"
runs=$core_runs
[ "$scope" = all ] && runs+=$all_runs

failed=()
while read -r environment program filter; do
  [ -z "$program" ] && continue
  variables=(LOCPATH="$PWD/$locales")
  [ "$environment" != - ] && IFS=, read -r -a more <<<"$environment" && variables+=("${more[@]}")
  arguments=()
  [ "$filter" != - ] && arguments+=(--gtest_filter="$filter")
  label=$program
  [ "$filter" != - ] && label+=" --gtest_filter=$filter"
  [ "$environment" != - ] && label+=" ($environment)"
  echo "=== memcheck: $label ==="
  if ! env "${variables[@]}" valgrind --quiet --error-exitcode=99 --leak-check=full \
      --errors-for-leak-kinds=definite,indirect --show-leak-kinds=definite,indirect \
      --suppressions=test/valgrind.supp --child-silent-after-fork=yes \
      "$build/test/$program" "${arguments[@]}" >"$build/valgrind.log" 2>&1; then
    grep -v '^\[Vantrel message\]' "$build/valgrind.log" | tail -n 60
    failed+=("$label")
  fi
done <<<"$runs"

if [ ${#failed[@]} -gt 0 ]; then
  printf 'memcheck FAILED: %s\n' "${failed[@]}" >&2
  exit 1
fi
echo "memcheck clean ($scope)"
