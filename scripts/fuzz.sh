#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Nova Wing authors
# SPDX-License-Identifier: GPL-2.0-or-later
# Builds the libFuzzer targets (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, no recovery) in build-fuzz/ and runs each one.
#
#   scripts/fuzz.sh                 60 seconds per target (what ./test.sh runs)
#   scripts/fuzz.sh 3600            an hour per target
#   scripts/fuzz.sh 600 images      ten minutes, one target
#   scripts/fuzz.sh --no-build 20   the targets as last built, 20 seconds each
#                                   (./test.sh: again over sdl12-compat, with
#                                   LD_LIBRARY_PATH naming it)
#
# Targets: config_reader, item_reader, parse_number, images.  Each one's
# corpus grows in build-fuzz/corpus/<target>/, starting from the seeds in
# fuzz/corpus/<target>/ (images: from the generated data/).  An input that
# crashes or breaks a target's checks is saved as build-fuzz/findings/<target>-*
# and the script fails; rerun one with  build-fuzz/fuzz/fuzz_<target> FILE
# (images: from build-fuzz/game). Exit status: 0 clean, 1 a finding, 3 the
# build failed (nothing was fuzzed).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build_first=yes
if [[ ${1:-} == --no-build ]]; then
  build_first=no
  shift
fi
seconds=${1:-60}
shift || true
targets=("$@")
[[ ${#targets[@]} -gt 0 ]] || targets=(config_reader item_reader parse_number images)

build=$root/build-fuzz
if [[ $build_first == yes ]]; then
  if ! cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DNOVAWING_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null ||
    ! cmake --build "$build" -j"$(nproc)" --target "${targets[@]/#/fuzz_}" >/dev/null; then
    echo "fuzz: the build in $build failed"
    exit 3
  fi
fi
for target in "${targets[@]}"; do
  [[ -x $build/fuzz/fuzz_$target ]] || { echo "fuzz: $build/fuzz/fuzz_$target is not built"; exit 3; }
done
# Which SDL 1.2 the run loads, for the log's name and its report:
# sdl12-compat where LD_LIBRARY_PATH names it, or where the system's own SDL
# 1.2 is newer than classic SDL's last, 1.2.15.
sdl=classic sdl_name="classic SDL"
if [[ ${LD_LIBRARY_PATH:-} == *sdl12-compat* ]] ||
  ! dpkg --compare-versions "$(pkg-config --modversion sdl 2>/dev/null || echo 0)" le 1.2.15; then
  sdl=sdl12-compat sdl_name=sdl12-compat
fi

export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=0:allocator_may_return_null=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$root/scripts/lsan-suppressions.txt:print_suppressions=0
export SDL_VIDEODRIVER=dummy
mkdir -p "$build/findings" "$build/logs-$sdl"

failed=0
for target in "${targets[@]}"; do
  corpus=$build/corpus/$target
  mkdir -p "$corpus"
  options=(-max_total_time="$seconds" -timeout=20 -print_final_stats=1
           -artifact_prefix="$build/findings/$target-")
  seeds=$root/fuzz/corpus/$target
  if [[ $target == images ]]; then
    # Seeds are the game's own generated images, made afresh each time.
    seeds=$build/seeds/images
    rm -rf "$seeds"
    (cd "$build/game" && NOVAWING_MAKE_SEEDS="$seeds" "$build/fuzz/fuzz_images")
    options+=(-max_len=32768)
  fi
  log=$build/logs-$sdl/$target.log
  # The targets work in scratch directories of their own, so every path
  # handed to libFuzzer is absolute.
  if (cd "$build/game" && "$build/fuzz/fuzz_$target" "${options[@]}" "$corpus" "$seeds") \
      >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1)
    cov=$(sed -E 's/.*cov: ([0-9]+).*/\1/' <<<"$done_line")
    features=$(sed -E 's/.*ft: ([0-9]+).*/\1/' <<<"$done_line")
    rate=$(sed -E 's/.*exec\/s: ([0-9]+).*/\1/' <<<"$done_line")
    echo "fuzz_$target (on $sdl_name): $runs runs in ${seconds}s ($rate exec/s), cov: $cov, ft: $features," \
         "corpus $(find "$corpus" -type f | wc -l) inputs"
  else
    echo "fuzz_$target FAILED; the end of $log:"
    tail -40 "$log"
    failed=1
  fi
done
exit "$failed"
