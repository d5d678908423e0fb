#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Nova Wing authors
# SPDX-License-Identifier: GPL-2.0-or-later
# Builds Nova Wing with its tests (installing what is missing) and runs every
# test, on the kinds of SDL 1.2 that players have: classic SDL 1.2.15
# (Debian 12), sdl12-compat over SDL2 (Debian 13) and sdl12-compat over
# sdl2-compat over SDL 3 (Debian testing, forky):
#
#   native    this machine as it is:
#             1. the normal build (build-test/): every test, the end-to-end
#                ones included; then the console and its tests against
#                libncurses and libncursesw, opaque headers (build-curses/);
#             2. the sanitizer build (build-asan/: AddressSanitizer and Undefined-
#                BehaviorSanitizer, no recovery): every test but the end-to-end ones;
#             3. the million-frame soak in the sanitizer build, while beside it
#             4. the fuzz targets run for a minute each (scripts/fuzz.sh, clang,
#                build-fuzz/)
#             5. and valgrind checks a headless run for memory errors, leaks and
#                growth (scripts/valgrind.sh);
#             6. on a machine with classic SDL and sdl12-compat beside it
#                (Debian 12 with libsdl1.2-compat), steps 2, 4 and 5 once more
#                over sdl12-compat, from the same builds;
#             7. once step 1 is done, in the background beside steps 2 to 6,
#                the Debian package is built and checked with Debian's own
#                tools on Debian 12 and Debian 13 (scripts/debian-tools-check.sh:
#                sbuild, lintian, autopkgtest, piuparts, the desktop entry,
#                metainfo and manual page validators, a second build compared
#                bit for bit, reuse lint); the leg waits for it before its
#                summary.
#   debian13  a fresh Debian 13 root (sdl12-compat over SDL2),
#   debian12  a fresh Debian 12 root (classic SDL 1.2.15) or
#   forky     a fresh Debian forky root (sdl12-compat over sdl2-compat over
#             SDL 3), made from Debian's packages by scripts/debian-root.sh,
#             with the committed HEAD cloned into it; there, as a new user
#             with sudo would: ./run.sh installs what is missing, builds the
#             game and starts it to the title menu (the end-to-end case
#             run_command), then ./test.sh runs the leg suite, and in the
#             forky root the leg package too.  Its logs and screenshots are
#             copied to build-LEG/.  Debian 12's and 13's packages are the
#             native leg's to check; forky's is checked in its root.
#   suite     step 1: what a root leg runs inside its root.
#   package   the Debian package built here with dpkg-buildpackage, its
#             tests included, and checked with this release's lintian
#             --pedantic, the file validators and reuse lint
#             (scripts/debian-tools-check.sh --here, build-package/): what
#             the forky leg runs inside its root, where the native leg's
#             sbuild roots are not made.
#
# NOVAWING_LEGS picks the legs. By default the legs after native are the
# other two systems: "native debian13 forky" on Debian 12 and elsewhere,
# "native debian12 forky" on Debian 13, "native debian12 debian13" on forky.
# Each leg reports its time and counts, and each step its time; a
# failure names the system it came from; a check that could not run (its
# build failed, no root could be made) is named and counted as failed, with
# the reason; the last line counts the checks of every leg.
# One block, read whole before it runs: a checkout or an edit during a long
# run cannot change what runs.
{
set -euo pipefail
cd "$(dirname "$0")"
release=$( (. /etc/os-release && echo "${ID:-}:${VERSION_CODENAME:-}") 2>/dev/null || true)
case $release in
  debian:trixie) legs=${NOVAWING_LEGS:-native debian12 forky} ;;
  debian:forky) legs=${NOVAWING_LEGS:-native debian12 debian13} ;;
  *) legs=${NOVAWING_LEGS:-native debian13 forky} ;;
esac
for leg in $legs; do
  case $leg in
    native | suite | package | debian13 | debian12 | forky) ;;
    *)
      echo "test.sh: NOVAWING_LEGS: unknown leg '$leg'" \
        "(native, suite, package, debian13, debian12, forky)" >&2
      exit 2
      ;;
  esac
  # The run inside a root must never make another one.
  if [[ -n ${NOVAWING_IN_ROOT:-} && $leg =~ ^(debian12|debian13|forky)$ ]]; then
    echo "test.sh: inside a Debian root already; the $leg leg runs only outside" >&2
    exit 2
  fi
done
scripts/install-deps.sh --test
jobs=$(nproc)
sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"

work=$(mktemp -d)
root=""
tools_check=""
cleanup() {
  # A run cut short takes the package check's builds and roots with it: it
  # runs in a process group of its own.
  if [[ -n $tools_check ]]; then
    $sudo kill -TERM -- "-$tools_check" 2>/dev/null || true
    wait "$tools_check" 2>/dev/null || true
  fi
  if [[ -n $root ]]; then
    $sudo scripts/debian-root.sh remove "$root" ||
      echo "test.sh: the Debian root $root is left in place" >&2
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# This system, as a failure names it: "Debian GNU/Linux 12 (bookworm), classic
# SDL 1.2.15", "..., sdl12-compat 1.2.68 over SDL2 2.32.4" or "Debian
# GNU/Linux forky/sid, sdl12-compat 1.2.78 over sdl2-compat 2.32.74 over SDL
# 3.4.18", the SDL beneath as Debian's packages say.
os=$( (. /etc/os-release && echo "$PRETTY_NAME") 2>/dev/null || uname -sr)
sdl=$(pkg-config --modversion sdl 2>/dev/null || echo "?")
# "over SDL2 2.32.4", "over sdl2-compat 2.32.74 over SDL 3.4.18", or nothing
# where dpkg does not know.
sdl_beneath() {
  local source version
  read -r source version < <(dpkg-query -W -f='${source:Package} ${Version}\n' \
    libsdl2-2.0-0 2>/dev/null) || return 0
  version=${version%%[+-]*}
  if [[ $source == sdl2-compat ]]; then
    local sdl3
    sdl3=$(dpkg-query -W -f='${Version}' libsdl3-0 2>/dev/null)
    echo " over sdl2-compat $version over SDL ${sdl3%%[+-]*}"
  elif [[ -n $version ]]; then
    echo " over SDL2 $version"
  fi
}
if dpkg --compare-versions "$sdl" le 1.2.15 2>/dev/null; then
  system="$os, classic SDL $sdl"
else
  system="$os, sdl12-compat $sdl$(sdl_beneath)"
fi
# sdl12-compat beside classic SDL (Debian 12's libsdl1.2-compat): the checks
# that need a build of their own run over it too, by LD_LIBRARY_PATH.
compat_dir=/usr/lib/x86_64-linux-gnu/sdl12-compat
compat_system=""
if [[ $system == *"classic SDL"* && -e $compat_dir/libSDL-1.2.so.0 ]]; then
  compat_version=$(dpkg-query -W -f='${Version}' libsdl1.2-compat 2>/dev/null | sed 's/-.*//')
  compat_system="$os, sdl12-compat ${compat_version:-?} (by LD_LIBRARY_PATH)"
fi

passed=0
failed=0
failures=()
pass() { passed=$((passed + 1)); }
fail() {
  failed=$((failed + 1))
  failures+=("$1")
}
# A check that could not run is never silent: it is named, with the reason,
# and counted as failed.
not_run() {
  echo "test.sh: NOT RUN: $1 ($2)"
  fail "$1: not run, $2"
}

# Each step's time, as the step ends.
step_started=0
step() {
  step_started=$SECONDS
  echo "test.sh: step: $1"
}
step_took() {
  local took=$((SECONDS - step_started))
  echo "test.sh: step took $((took / 60)) min $((took % 60)) s: $1"
}

# A ctest run's counts, from its output in LOG, join the leg's, and each
# failed test is named with the system it ran on.  Fails when ctest ran no
# test.
count_ctest() { # WHERE LOG
  local where=$1 log=$2 counts
  counts=$(grep -Eo '[0-9]+ tests failed out of [0-9]+' "$log" | tail -1)
  [[ -n $counts ]] || return 1
  local f t name
  read -r f _ _ _ _ t <<<"$counts"
  passed=$((passed + t - f))
  failed=$((failed + f))
  while read -r name; do
    failures+=("$where: $name")
  done < <(sed -n '/The following tests FAILED:/,$p' "$log" |
    sed -n 's/^[[:space:]]*[0-9][0-9]* - \(.*\)$/\1/p')
}

# One ctest run.
run_ctest() {
  local where=$1 dir=$2 log
  shift 2
  log=$(mktemp -p "$work")
  (cd "$dir" && ctest --output-on-failure -j"$jobs" "$@") 2>&1 | tee "$log" || true
  count_ctest "$where" "$log" || fail "$where: ctest in $dir ran no test"
}

built_test=no
normal_suite() {
  step "the normal build and its tests (build-test/)"
  if cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON >/dev/null &&
    cmake --build build-test -j"$jobs"; then
    built_test=yes
    run_ctest "$system" build-test -LE soak
  else
    fail "$system: the normal build (build-test/)"
    not_run "$system: the normal and end-to-end tests" "the normal build failed"
  fi
  step_took "the normal build and its tests"
  # The game links libncursesw; the console and its tests once more against
  # libncurses and libncursesw each, through an opaque curses.h.
  step "the console against each ncurses (build-curses/)"
  if cmake -S tests/curses -B build-curses >/dev/null && cmake --build build-curses -j"$jobs"; then
    run_ctest "$system, each ncurses" build-curses
  else
    fail "$system: the console's builds against each ncurses (build-curses/)"
  fi
  step_took "the console against each ncurses"
}

# The Debian package of the committed HEAD, built and checked with Debian's
# own tools on Debian 12 and Debian 13 (scripts/debian-tools-check.sh). It
# starts once the normal build's tests are done, so that the end-to-end
# tests, which watch a real window and terminal in real time, never share
# the cores with it, and runs beside the sanitizer build, fuzzing, valgrind
# and the soak, none of which depends on the time things take. Its output
# goes to a log of its own, shown whole once it has ended; its result joins
# the leg before the leg's summary.
tools_dir=build-debian-tools
tools_log=$tools_dir/debian-tools-check.log
tools_started=0
tools_check_name="the Debian package with Debian's own tools (scripts/debian-tools-check.sh)"
start_tools_check() {
  # The script itself says so when changes not yet committed are left out
  # of the package.
  echo "test.sh: step: $tools_check_name, in the background, its output in $tools_log"
  mkdir -p "$tools_dir"
  tools_started=$(date +%s)
  setsid --wait $sudo scripts/debian-tools-check.sh "$tools_dir" >"$tools_log" 2>&1 &
  tools_check=$!
}
# Exit status 3 from the script: nothing was checked, for the reason it gives.
join_tools_check() {
  local status=0 waited=$SECONDS
  echo "test.sh: waiting for $tools_check_name"
  wait "$tools_check" || status=$?
  tools_check=""
  waited=$((SECONDS - waited))
  if [[ -n $sudo ]]; then $sudo chown -R "$(id -u):$(id -g)" "$tools_dir"; fi
  echo "test.sh: the output of scripts/debian-tools-check.sh ($tools_log):"
  sed 's/^/  /' "$tools_log"
  local failed_suites
  failed_suites=$(cd "$tools_dir" && ls -- *.failed 2>/dev/null | sed 's/\.failed$//' | tr '\n' ' ' || true)
  case $status in
    0) pass ;;
    3)
      not_run "$system: $tools_check_name" \
        "$(sed -n 's/^debian-tools-check: NOT RUN: //p' "$tools_log" | tail -1)"
      ;;
    *)
      fail "$system: $tools_check_name${failed_suites:+ on ${failed_suites% }} ($tools_dir/)"
      ;;
  esac
  # It ended when it last wrote to its log, which may be long before the leg
  # came to wait for it.
  local took=$(($(stat -c %Y "$tools_log") - tools_started))
  echo "test.sh: step took $((took / 60)) min $((took % 60)) s: $tools_check_name" \
    "(beside the leg's other steps; the leg waited $((waited / 60)) min $((waited % 60)) s" \
    "for it at the end)"
}

# scripts/fuzz.sh's exit status 3: its build failed, so nothing was fuzzed.
fuzz_checks() {
  local where=$1 status=0
  shift
  step "fuzzing on $where"
  "$@" || status=$?
  case $status in
    0) pass ;;
    3) fail "$where: the fuzz build (build-fuzz/)"
       not_run "$where: fuzzing" "the fuzz build failed" ;;
    *) fail "$where: fuzzing (scripts/fuzz.sh, build-fuzz/findings/)" ;;
  esac
  step_took "fuzzing on $where"
  return "$status"
}

valgrind_check() {
  local where=$1
  shift
  step "valgrind on $where"
  if [[ $built_test != yes ]]; then
    not_run "$where: valgrind" "the normal build (build-test/) failed"
  elif "$@"; then
    pass
  else
    fail "$where: valgrind (scripts/valgrind.sh)"
  fi
  step_took "valgrind on $where"
}

sanitizer_and_long_checks() {
  # Any report stops the program; leaks count, except the few inside the
  # libraries themselves that scripts/lsan-suppressions.txt names.
  export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=0:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan-suppressions.txt:print_suppressions=0
  local built_asan=no soak=""
  step "the sanitizer build and its tests (build-asan/)"
  if cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON \
    -DNOVAWING_SANITIZE=ON >/dev/null && cmake --build build-asan -j"$jobs"; then
    built_asan=yes
    run_ctest "$system, sanitizers" build-asan -LE 'e2e|soak'
  else
    fail "$system: the sanitizer build (build-asan/)"
    not_run "$system: the tests under the sanitizers" "the sanitizer build failed"
    not_run "$system: the million-frame soak" "the sanitizer build failed"
    if [[ -n $compat_system ]]; then
      not_run "$compat_system: the tests under the sanitizers" "the sanitizer build failed"
    fi
  fi
  step_took "the sanitizer build and its tests"

  # The soak takes one core for several minutes; the other checks use the time.
  local soak_started=$SECONDS
  if [[ $built_asan == yes ]]; then
    (cd build-asan && ctest --output-on-failure -V -L soak) >build-asan/soak.log 2>&1 &
    soak=$!
  fi
  local fuzzed=0
  fuzz_checks "$system" scripts/fuzz.sh 60 || fuzzed=$?
  valgrind_check "$system" scripts/valgrind.sh build-test

  if [[ -n $compat_system ]]; then
    # The same builds over sdl12-compat. LeakSanitizer needs the slower but
    # exact unwinder to see through SDL2's frames to the call that made a block.
    if [[ $built_asan == yes ]]; then
      step "the tests under the sanitizers on $compat_system"
      LD_LIBRARY_PATH=$compat_dir \
        LSAN_OPTIONS=suppressions=$PWD/scripts/lsan-suppressions-compat.txt:print_suppressions=0:fast_unwind_on_malloc=0 \
        run_ctest "$compat_system, sanitizers" build-asan -LE 'e2e|soak'
      step_took "the tests under the sanitizers on sdl12-compat"
    fi
    if [[ $fuzzed == 3 ]]; then
      not_run "$compat_system: fuzzing" "the fuzz build failed"
    else
      LD_LIBRARY_PATH=$compat_dir \
        LSAN_OPTIONS=suppressions=$PWD/scripts/lsan-suppressions-compat.txt:print_suppressions=0:fast_unwind_on_malloc=0 \
        fuzz_checks "$compat_system" scripts/fuzz.sh --no-build 20 || true
    fi
    valgrind_check "$compat_system" env LD_LIBRARY_PATH=$compat_dir \
      scripts/valgrind.sh build-test
  fi

  if [[ -n $soak ]]; then
    if wait "$soak"; then
      grep -Eo 'soak: .*' build-asan/soak.log
      pass
    else
      echo "the soak failed; the end of build-asan/soak.log:"
      tail -40 build-asan/soak.log
      fail "$system: the million-frame soak (build-asan/soak.log)"
    fi
    local took=$((SECONDS - soak_started))
    echo "test.sh: the soak and the steps beside it took $((took / 60)) min $((took % 60)) s"
  fi
}

# The Debian package of the committed HEAD, built here with dpkg-buildpackage
# and its tests and checked with this release's own tools
# (scripts/debian-tools-check.sh --here): each of the package's tests counts
# as one check, as in the suite, and so does each of the script's other
# checks (lintian, each validator, reuse lint).
package_leg() {
  local out=build-package log status=0
  log=$work/package.log
  step "the Debian package with this release's own tools (scripts/debian-tools-check.sh --here, $out/)"
  rm -rf "$out"
  scripts/debian-tools-check.sh --here "$out" 2>&1 | tee "$log" || status=${PIPESTATUS[0]}
  cp "$log" "$out/debian-tools-check.log" 2>/dev/null || true
  local name="$system: the Debian package"
  if [[ $status == 3 ]]; then
    not_run "$name" "$(sed -n 's/^debian-tools-check: NOT RUN: //p' "$log" | tail -1)"
    step_took "the Debian package"
    return
  fi
  local before=$failed line
  if ! count_ctest "$name, its tests in dpkg-buildpackage (dh_auto_test)" \
    "$out/dpkg-buildpackage.log" 2>/dev/null; then
    if grep -q ': dh_auto_test: ' "$log"; then
      fail "$name: dpkg-buildpackage's dh_auto_test ran no test ($out/dpkg-buildpackage.log)"
    else
      not_run "$name: its tests in dpkg-buildpackage" "the build stopped before them ($out/)"
    fi
  fi
  while read -r line; do
    case $line in
      *': dh_auto_test: '*) ;;
      *': ok: '*) pass ;;
      *) fail "$name: ${line#*: FAILED: }" ;;
    esac
  done < <(grep -E '^(debian-tools-check|packaged-files): (ok|FAILED): ' "$log")
  if [[ $status != 0 && $failed == "$before" ]]; then
    fail "$name: scripts/debian-tools-check.sh ended with exit status $status ($out/)"
  fi
  step_took "the Debian package"
}

# A fresh root of another Debian release, with the checkout as committed
# cloned into it as a player would clone it.  Debian 12's and 13's packages
# are the native leg's to check with sbuild; forky's is built in its root.
root_leg() {
  local leg=$1 suite name inner=suite
  case $leg in
    debian13) suite=trixie name="Debian 13 (fresh root, sdl12-compat)" ;;
    debian12) suite=bookworm name="Debian 12 (fresh root, classic SDL)" ;;
    forky)
      suite=forky name="Debian forky (fresh root, sdl12-compat over sdl2-compat and SDL 3)"
      inner="suite package"
      ;;
  esac
  local out=build-$leg
  local run_check="$name: ./run.sh from a fresh clone to the title menu and out (run_command, $out/)"
  local suite_check="$name: ./test.sh with the legs $inner in the root"
  rm -rf "$out"
  mkdir -p "$out"
  if ! git rev-parse --verify -q HEAD >/dev/null; then
    not_run "$run_check" "this is no git checkout, so there is no HEAD to clone"
    not_run "$suite_check" "this is no git checkout, so there is no HEAD to clone"
    return
  fi
  # A root is entered in a mount namespace of its own whose mounts stay
  # private: an unprivileged container gives no such namespace, and a chroot
  # whose / is not a mount point cannot make its mounts private.
  if ! $sudo unshare --mount --propagation private true 2>"$work/unshare.err"; then
    local why="no root can be entered here: unshare --mount --propagation private fails ($(head -1 "$work/unshare.err")); NOVAWING_LEGS=native leaves this leg out"
    not_run "$run_check" "$why"
    not_run "$suite_check" "$why"
    return
  fi
  if [[ -n $(git status --porcelain --untracked-files=no) ]]; then
    echo "test.sh: the $leg leg tests the committed HEAD $(git rev-parse --short HEAD);" \
      "changes not yet committed are not in it"
  fi
  step "making the $suite root"
  root=$(mktemp -d "${TMPDIR:-/var/tmp}/novawing-$leg.XXXXXX")
  if ! $sudo scripts/debian-root.sh new "$suite" "$root"; then
    fail "$name: making the root (scripts/debian-root.sh new $suite $root)"
    not_run "$run_check" "the root could not be made"
    not_run "$suite_check" "the root could not be made"
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
    fail "$name: installing a display and a terminal in the root"
    not_run "$run_check" "the root has no display"
    not_run "$suite_check" "the root has no display"
    return
  fi
  step_took "making the $suite root"
  local log=$out/leg.log
  # shellcheck disable=SC2016  # expanded inside the root
  $sudo scripts/debian-root.sh run "$root" --user player --sudo -- bash -c '
    leg=$1
    git -c advice.detachedHead=false clone -q /tmp/novawing.bundle novawing && cd novawing ||
      { echo "$leg: cannot clone the checkout"; exit 1; }
    echo "$leg: $(. /etc/os-release && echo "$PRETTY_NAME"), checkout $(git log --oneline -1)"
    if python3 -B tests/e2e/cases.py run_command --source-dir . --game-dir build/game \
        --artifacts "$HOME/run-command"; then
      echo "$leg: run_command passed"
    else
      echo "$leg: run_command FAILED"
    fi
    NOVAWING_LEGS=$2 NOVAWING_IN_ROOT=1 ./test.sh' bash "$leg" "$inner" 2>&1 |
    sed -u "s/^/$leg| /" | tee "$log" || true

  # What the root saw, kept before the root goes.
  local home=$root/home/player
  $sudo cp -r "$home/run-command" "$out/run-command" 2>/dev/null || true
  $sudo cp -r "$home/novawing/build-test/e2e-artifacts" "$out/e2e-artifacts" 2>/dev/null || true
  # The package's logs, reports and files, without its build tree.
  local package=$home/novawing/build-package
  if $sudo test -d "$package"; then
    mkdir -p "$out/package"
    $sudo find "$package" "$package/source" -maxdepth 1 -type f \
      -exec cp -t "$out/package" {} + 2>/dev/null || true
  fi
  [[ -n $sudo ]] && $sudo chown -R "$(id -u):$(id -g)" "$out"
  if ! $sudo scripts/debian-root.sh remove "$root"; then
    echo "test.sh: the Debian root $root is left in place" >&2
  fi
  root=""

  if grep -q "^$leg| $leg: run_command passed\$" "$log"; then
    pass
  else
    fail "$run_check"
  fi
  local summary
  summary=$(grep -E "^$leg\| all: [0-9]+ passed, [0-9]+ failed\$" "$log" | tail -1)
  if [[ -z $summary ]]; then
    fail "$suite_check ended without its summary ($log)"
    return
  fi
  local p f line
  p=$(sed -E 's/.* ([0-9]+) passed.*/\1/' <<<"$summary")
  f=$(sed -E 's/.* ([0-9]+) failed$/\1/' <<<"$summary")
  passed=$((passed + p))
  failed=$((failed + f))
  while read -r line; do
    [[ -n $line ]] && failures+=("$line")
  done < <(sed -n "s/^$leg| FAILED on \(.*\)\$/\1/p" "$log")
}

summaries=()
for leg in $legs; do
  started=$SECONDS
  before_passed=$passed
  before_failed=$failed
  case $leg in
    native)
      normal_suite
      start_tools_check
      sanitizer_and_long_checks
      join_tools_check
      where=$system
      ;;
    suite)
      normal_suite
      where=$system
      ;;
    debian13)
      root_leg debian13
      where="a fresh Debian 13 root"
      ;;
    debian12)
      root_leg debian12
      where="a fresh Debian 12 root"
      ;;
    forky)
      root_leg forky
      where="a fresh Debian forky root"
      ;;
    package)
      package_leg
      where=$system
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
# and the run command in a root as one check each, and each check that could
# not run as one failure.
echo "all: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
exit
}
