#!/usr/bin/env bash
# Builds Nova Wing with its tests (installing what is missing) and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh --test
jobs=$(nproc)

cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNOVAWING_TESTS=ON >/dev/null
cmake --build build-test -j"$jobs"
(cd build-test && ctest --output-on-failure -j"$jobs")
