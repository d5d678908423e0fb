#!/usr/bin/env bash
# Builds Nova Wing (installing what is missing) and starts it.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNOVAWING_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)"
cd build/game
exec ./novawing "$@"
