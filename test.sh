#!/usr/bin/env bash
# Builds Nova Wing with its tests (installing what is missing) and runs every test:
#   1. the normal build (build-test/): every test, the end-to-end ones included;
#   2. the sanitizer build (build-asan/: AddressSanitizer and UndefinedBehavior-
#      Sanitizer, no recovery): every test but the end-to-end ones;
#   3. the million-frame soak in the sanitizer build, while beside it
#   4. the fuzz targets run for a minute each (scripts/fuzz.sh, clang, build-fuzz/)
#   5. and valgrind checks a headless run for memory errors, leaks and growth
#      (scripts/valgrind.sh);
#   6. the Debian package is built and checked, and tried in fresh Debian 12
#      and 13 roots (scripts/check-package.sh).
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh --test
jobs=$(nproc)

cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNOVAWING_TESTS=ON >/dev/null
cmake --build build-test -j"$jobs"
# Each ctest run's own count goes into the summary at the end.
counts=$(mktemp)
trap 'rm -f "$counts"' EXIT
run_ctest() {
  local dir=$1
  shift
  (cd "$dir" && ctest --output-on-failure -j"$jobs" "$@") | tee -a "$counts"
}
run_ctest build-test -LE soak

# Any report stops the program; leaks count, except the few inside the
# libraries themselves that scripts/lsan-suppressions.txt names.
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=0:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan-suppressions.txt:print_suppressions=0
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNOVAWING_TESTS=ON \
  -DNOVAWING_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$jobs"
run_ctest build-asan -LE 'e2e|soak'

# The soak takes one core for several minutes; fuzzing and valgrind use the time.
(cd build-asan && ctest --output-on-failure -V -L soak) >build-asan/soak.log 2>&1 &
soak=$!
passed=$(grep -Eo '[0-9]+ tests failed out of [0-9]+' "$counts" |
  awk '{ p += $6 - $1 } END { print p + 0 }')
failed=0
if scripts/fuzz.sh 60; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
if scripts/valgrind.sh build-test; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
if scripts/check-package.sh build-deb; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
if wait "$soak"; then
  grep -Eo 'soak: .*' build-asan/soak.log
  passed=$((passed + 1))
else
  echo "the soak failed; the end of build-asan/soak.log:"
  tail -40 build-asan/soak.log
  failed=$((failed + 1))
fi
# Both ctest runs' tests, then the fuzzing, valgrind, the package and the soak
# as one check each.
echo "all: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
