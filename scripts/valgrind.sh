#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Nova Wing authors
# SPDX-License-Identifier: GPL-2.0-or-later
# Memory checks on a whole headless run of the game (start-up, the title menu
# with scripted keys, N frames, Escape and the normal exit):
#   1. valgrind memcheck: no invalid read or write, no use of an uninitialised
#      value, nothing definitely, indirectly or possibly lost, on whichever
#      SDL 1.2 the run loads (LD_LIBRARY_PATH may select sdl12-compat); the
#      images kept for the whole run are told apart by their allocation stack
#      (scripts/valgrind-images.supp), nothing else is let through;
#   2. peak resident size of 1,000 and 100,000 frames (without valgrind):
#      it must not grow with the number of frames.
#
#   scripts/valgrind.sh [BUILD_DIR [FRAMES]]   default build-rob, 3000 frames
#
# BUILD_DIR must be a build without the sanitizers; headless_run is built
# there if needed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=$(realpath -m "${1:-build-rob}")
frames=${2:-3000}
if [[ ! -f $build/CMakeCache.txt ]]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target headless_run >/dev/null 2>&1
runner=$build/tests/soak/headless_run
cd "$build/game"
export SDL_VIDEODRIVER=dummy

# Runs over sdl12-compat keep a log of their own beside classic SDL's.
# Which SDL 1.2 the run loads: sdl12-compat where LD_LIBRARY_PATH names it,
# or where the system's own SDL 1.2 is newer than classic SDL's last, 1.2.15.
sdl=classic sdl_name="classic SDL"
if [[ ${LD_LIBRARY_PATH:-} == *sdl12-compat* ]] ||
  ! dpkg --compare-versions "$(pkg-config --modversion sdl 2>/dev/null || echo 0)" le 1.2.15; then
  sdl=sdl12-compat sdl_name=sdl12-compat
fi
log=$build/valgrind-$sdl.log
if ! valgrind --leak-check=full --show-leak-kinds=definite,indirect,possible \
    --errors-for-leak-kinds=definite,indirect,possible --error-exitcode=1 \
    --suppressions="$root/scripts/valgrind-images.supp" --log-file="$log" \
    "$runner" "$frames" >/dev/null 2>"$build/valgrind-run-$sdl.err"; then
  echo "valgrind: errors or leaks in a run of $frames frames; $log says:"
  grep -E '^==[0-9]+== ' "$log" | tail -60
  exit 1
fi
echo "valgrind (on $sdl_name): $frames frames:" \
  "$(grep -Eo 'ERROR SUMMARY: [0-9]+ errors' "$log"), $(grep -Eo 'definitely lost: [0-9,]+ bytes' "$log"), $(grep -Eo 'indirectly lost: [0-9,]+ bytes' "$log"), $(grep -Eo 'possibly lost: [0-9,]+ bytes' "$log") (suppressed: $(grep -Eo 'suppressed: [0-9,]+ bytes' "$log" | head -1 | grep -Eo '[0-9,]+ bytes' || echo 0 bytes)), $(grep -Eo 'still reachable: [0-9,]+ bytes' "$log") (SDL's own and the images, kept until exit)"

# The run reports its own peak resident size on standard error.
peak() {
  "$runner" "$1" 2>&1 >/dev/null | sed -n 's/.*peak resident size \([0-9]*\) kB.*/\1/p'
}
short=$(peak 1000)
long=$(peak 100000)
echo "peak resident size: ${short} kB after 1,000 frames, ${long} kB after 100,000 frames"
# A few hundred kB of slack for the allocator and the kernel's accounting.
if (( long > short + 512 )); then
  echo "memory grows with the number of frames"
  exit 1
fi
