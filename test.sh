#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Nova Wing authors
# SPDX-License-Identifier: GPL-2.0-or-later
# Builds Nova Wing with its tests (installing what is missing) and runs every
# test, on the two kinds of SDL 1.2 that players have:
#
#   native    this machine as it is (CI's Debian 12, classic SDL 1.2.15):
#             1. the normal build (build-test/): every test, the end-to-end
#                ones included;
#             2. the sanitizer build (build-asan/: AddressSanitizer and Undefined-
#                BehaviorSanitizer, no recovery): every test but the end-to-end ones;
#             3. the million-frame soak in the sanitizer build, while beside it
#             4. the fuzz targets run for a minute each (scripts/fuzz.sh, clang,
#                build-fuzz/)
#             5. and valgrind checks a headless run for memory errors, leaks and
#                growth (scripts/valgrind.sh);
#             6. the Debian package is built, checked with lintian and the
#                desktop validators, and tried in fresh Debian 12 and 13 roots
#                (scripts/check-package.sh).
#   debian13  a fresh Debian 13 root (sdl12-compat over SDL2) made from Debian's
#             packages by scripts/debian-root.sh, with the committed HEAD cloned
#             into it; there, as a new user with sudo would: ./run.sh installs
#             what is missing, builds the game and starts it to the title menu
#             (the end-to-end case run_command), then ./test.sh runs the leg
#             below. Its logs and screenshots are copied to build-debian13/.
#   suite     step 1, and step 6 without the roots: what the debian13 leg runs
#             inside its root.
#
# NOVAWING_LEGS picks the legs (default "native debian13"). Each leg reports
# its time and counts; a failure names the system it came from; the last line
# counts the checks of every leg.
# One block, read whole before it runs: a checkout or an edit during a long
# run cannot change what runs.
{
set -euo pipefail
cd "$(dirname "$0")"
legs=${NOVAWING_LEGS:-native debian13}
for leg in $legs; do
  case $leg in
    native | suite | debian13) ;;
    *)
      echo "test.sh: NOVAWING_LEGS: unknown leg '$leg' (native, suite, debian13)" >&2
      exit 2
      ;;
  esac
done
# The run inside a root must never make another one.
if [[ -n ${NOVAWING_IN_ROOT:-} && " $legs " == *" debian13 "* ]]; then
  echo "test.sh: inside a Debian root already; the debian13 leg runs only outside" >&2
  exit 2
fi
scripts/install-deps.sh --test
jobs=$(nproc)
sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"

work=$(mktemp -d)
root=""
cleanup() {
  if [[ -n $root ]]; then
    $sudo scripts/debian-root.sh remove "$root" ||
      echo "test.sh: the Debian 13 root $root is left in place" >&2
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# This system, as a failure names it: "Debian GNU/Linux 12 (bookworm), classic
# SDL 1.2.15" or "..., sdl12-compat 1.2.68".
system=$( (. /etc/os-release && echo "$PRETTY_NAME") 2>/dev/null || uname -sr)
sdl=$(pkg-config --modversion sdl 2>/dev/null || echo "?")
if dpkg --compare-versions "$sdl" le 1.2.15 2>/dev/null; then
  system+=", classic SDL $sdl"
else
  system+=", sdl12-compat $sdl"
fi

passed=0
failed=0
failures=()
pass() { passed=$((passed + 1)); }
fail() {
  failed=$((failed + 1))
  failures+=("$1")
}

# One ctest run: its counts join the leg's, and each failed test is named.
run_ctest() {
  local dir=$1 log
  shift
  log=$(mktemp -p "$work")
  (cd "$dir" && ctest --output-on-failure -j"$jobs" "$@") 2>&1 | tee "$log" || true
  local counts
  counts=$(grep -Eo '[0-9]+ tests failed out of [0-9]+' "$log" | tail -1)
  if [[ -z $counts ]]; then
    fail "$system: ctest in $dir ran no test"
    return
  fi
  local f t name
  read -r f _ _ _ _ t <<<"$counts"
  passed=$((passed + t - f))
  failed=$((failed + f))
  while read -r name; do
    failures+=("$system: $name")
  done < <(sed -n '/The following tests FAILED:/,$p' "$log" |
    sed -n 's/^[[:space:]]*[0-9][0-9]* - \(.*\)$/\1/p')
}

normal_suite() {
  if cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON >/dev/null &&
    cmake --build build-test -j"$jobs"; then
    run_ctest build-test -LE soak
  else
    fail "$system: the normal build (build-test/)"
  fi
}

# Inside a root this builds and checks the package but makes no root of its own.
package_checks() {
  if scripts/check-package.sh build-deb; then
    pass
  else
    fail "$system: the Debian package (scripts/check-package.sh, build-deb/package-checks/)"
  fi
}

sanitizer_and_long_checks() {
  # Any report stops the program; leaks count, except the few inside the
  # libraries themselves that scripts/lsan-suppressions.txt names.
  export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=0:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan-suppressions.txt:print_suppressions=0
  if ! cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON \
    -DNOVAWING_SANITIZE=ON >/dev/null || ! cmake --build build-asan -j"$jobs"; then
    fail "$system: the sanitizer build (build-asan/)"
    return
  fi
  run_ctest build-asan -LE 'e2e|soak'

  # The soak takes one core for several minutes; fuzzing and valgrind use the time.
  (cd build-asan && ctest --output-on-failure -V -L soak) >build-asan/soak.log 2>&1 &
  local soak=$!
  if scripts/fuzz.sh 60; then pass; else fail "$system: fuzzing (scripts/fuzz.sh)"; fi
  if scripts/valgrind.sh build-test; then pass; else fail "$system: valgrind (scripts/valgrind.sh)"; fi
  package_checks
  if wait "$soak"; then
    grep -Eo 'soak: .*' build-asan/soak.log
    pass
  else
    echo "the soak failed; the end of build-asan/soak.log:"
    tail -40 build-asan/soak.log
    fail "$system: the million-frame soak (build-asan/soak.log)"
  fi
}

# The checkout as committed, cloned into the root as a player would clone it.
debian13_leg() {
  local d13="Debian 13 (fresh root, sdl12-compat)"
  local out=build-debian13
  rm -rf "$out"
  mkdir -p "$out"
  if ! git rev-parse --verify -q HEAD >/dev/null; then
    fail "$d13: this is no git checkout, so there is no HEAD to clone"
    return
  fi
  if [[ -n $(git status --porcelain --untracked-files=no) ]]; then
    echo "test.sh: the Debian 13 leg tests the committed HEAD $(git rev-parse --short HEAD);" \
      "changes not yet committed are not in it"
  fi
  root=$(mktemp -d "${TMPDIR:-/var/tmp}/novawing-debian13.XXXXXX")
  if ! $sudo scripts/debian-root.sh new trixie "$root"; then
    fail "$d13: making the root (scripts/debian-root.sh new trixie $root)"
    return
  fi
  git bundle create -q "$work/novawing.bundle" HEAD
  $sudo cp "$work/novawing.bundle" "$root/tmp/novawing.bundle"
  $sudo chmod 644 "$root/tmp/novawing.bundle"
  # The display and the terminal a player sits at; everything the game and
  # its tests need, ./run.sh and ./test.sh install themselves.
  if ! $sudo scripts/debian-root.sh run "$root" -- bash -c \
    'export DEBIAN_FRONTEND=noninteractive
     apt-get -o DPkg::Lock::Timeout=600 update -qq &&
     apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends \
       xvfb xauth xdotool x11-apps tmux python3 >/dev/null'; then
    fail "$d13: installing a display and a terminal in the root"
    return
  fi
  local log=$out/leg.log
  # shellcheck disable=SC2016  # expanded inside the root
  $sudo scripts/debian-root.sh run "$root" --user player --sudo -- bash -c '
    git -c advice.detachedHead=false clone -q /tmp/novawing.bundle novawing && cd novawing ||
      { echo "debian13: cannot clone the checkout"; exit 1; }
    echo "debian13: $(. /etc/os-release && echo "$PRETTY_NAME"), checkout $(git log --oneline -1)"
    if python3 -B tests/e2e/cases.py run_command --source-dir . --game-dir build/game \
        --artifacts "$HOME/run-command"; then
      echo "debian13: run_command passed"
    else
      echo "debian13: run_command FAILED"
    fi
    NOVAWING_LEGS=suite NOVAWING_IN_ROOT=1 ./test.sh' 2>&1 |
    sed -u 's/^/debian13| /' | tee "$log" || true

  # What the root saw, kept before the root goes.
  local home=$root/home/player
  $sudo cp -r "$home/run-command" "$out/run-command" 2>/dev/null || true
  $sudo cp -r "$home/novawing/build-test/e2e-artifacts" "$out/e2e-artifacts" 2>/dev/null || true
  [[ -n $sudo ]] && $sudo chown -R "$(id -u):$(id -g)" "$out"
  if ! $sudo scripts/debian-root.sh remove "$root"; then
    echo "test.sh: the Debian 13 root $root is left in place" >&2
  fi
  root=""

  if grep -q '^debian13| debian13: run_command passed$' "$log"; then
    pass
  else
    fail "$d13: ./run.sh from a fresh clone to the title menu and out (run_command, $out/)"
  fi
  local summary
  summary=$(grep -E '^debian13\| all: [0-9]+ passed, [0-9]+ failed$' "$log" | tail -1)
  if [[ -z $summary ]]; then
    fail "$d13: ./test.sh in the root ended without its summary ($log)"
    return
  fi
  local p f line
  p=$(sed -E 's/.* ([0-9]+) passed.*/\1/' <<<"$summary")
  f=$(sed -E 's/.* ([0-9]+) failed$/\1/' <<<"$summary")
  passed=$((passed + p))
  failed=$((failed + f))
  while read -r line; do
    [[ -n $line ]] && failures+=("$line")
  done < <(sed -n 's/^debian13| FAILED on \(.*\)$/\1/p' "$log")
}

summaries=()
for leg in $legs; do
  started=$SECONDS
  before_passed=$passed
  before_failed=$failed
  case $leg in
    native)
      normal_suite
      sanitizer_and_long_checks
      where=$system
      ;;
    suite)
      normal_suite
      package_checks
      where=$system
      ;;
    debian13)
      debian13_leg
      where="a fresh Debian 13 root"
      ;;
  esac
  took=$((SECONDS - started))
  summaries+=("leg $leg ($where): $((passed - before_passed)) passed, \
$((failed - before_failed)) failed, $((took / 60)) min $((took % 60)) s")
done

echo
for line in "${summaries[@]}"; do
  echo "$line"
done
for line in "${failures[@]}"; do
  echo "FAILED on $line"
done
# Every ctest run's tests, then the fuzzing, valgrind, the package, the soak
# and the run command in the root as one check each.
echo "all: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
exit
}
