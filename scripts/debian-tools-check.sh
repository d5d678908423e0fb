#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Nova Wing authors
# SPDX-License-Identifier: GPL-2.0-or-later
# Makes the Debian source package of HEAD (the release tarball as the
# .orig.tar.gz, debian/ beside it) and builds and checks it with Debian's own
# tools, as Debian's buildds and QA do, on Debian 12 and Debian 13:
#   1. sbuild in unshare mode, in a clean root made by mmdebstrap
#      (--variant=buildd), with no network during the build; dh_auto_test
#      runs the hermetic tests there;
#   2. lintian --pedantic -I, the release's own, on the .dsc and the .debs
#      (sbuild runs it in the root): no error, no warning;
#   3. autopkgtest of the built packages with the unshare backend: both tests;
#   4. piuparts: install, remove and purge in a fresh root leave nothing;
#   5. the desktop entry (desktop-file-validate), the metainfo (appstreamcli
#      validate --no-net) and the manual page (man -l, no warning);
#   6. reproducibility: Debian 13's packages built a second time, by hand in
#      a root from the same tarball, in another build path,
#      under disorderfs (shuffled file order) and faketime (a clock a year
#      and more ahead), with another umask, time zone, locale, host name,
#      user and job count: the .debs are bit-identical, diffoscope finds
#      nothing;
#   7. reuse lint of every tracked file, with Debian 13's reuse (Debian 12's
#      cannot read REUSE.toml), in that same root.
# ./test.sh runs it as the native leg's package check, in the background
# beside the leg's builds.  The two releases run side by side.  The builds
# and autopkgtests run as another user (below): where that user cannot reach
# OUT_DIR (a checkout in a private folder, as /root is), they run in a folder
# of their own under /var/tmp, and everything is copied to OUT_DIR at the end.
#
# With --here, or inside a root already (ischroot, or NOVAWING_IN_ROOT=1),
# where roots are not nested, it checks the package with this system's own
# tools instead: dpkg-buildpackage with the tests, this release's lintian
# --pedantic -I, the validators of step 5 and reuse lint (when this
# release's reuse reads REUSE.toml); when the package's tests fail, the
# package is built once more without them, so that lintian and the
# validators still judge it.  ./test.sh's package leg runs it so, in its
# fresh Debian forky root.
#
#   scripts/debian-tools-check.sh [--here] [OUT_DIR]  default build-debian-tools/
# Exit status 0 means every check passed, 1 that a check failed, 3 that
# nothing could be checked (no git checkout, not root, the tools could not be
# installed, no user namespaces for the build user), with the reason on a
# line "debian-tools-check: NOT RUN: ...".  Each step prints its time and
# result; the logs and reports stay in OUT_DIR, and a release that failed
# leaves OUT_DIR/SUITE.failed.  Needs root (or sudo).  The
# roots' tarballs are kept in NOVAWING_CACHE/sbuild (default
# /var/cache/novawing) and made again when older than NOVAWING_BASE_DAYS days
# (default 7); NOVAWING_PACKAGE_SUITES (default "bookworm trixie") chooses
# the releases.  The builds and autopkgtests run as the system user
# novawing-build, given the subordinate ids 300000-365535 that sbuild's
# unshare mode needs.
# One block, read whole before it runs: a checkout or an edit during the
# long run cannot change what runs.
{
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
here=$PWD
in_root=0
if [[ ${1:-} == --here ]]; then
  in_root=1
  shift
fi
out=$(mkdir -p "${1:-build-debian-tools}" && cd "${1:-build-debian-tools}" && pwd)
read -ra suites <<<"${NOVAWING_PACKAGE_SUITES:-bookworm trixie}"
# The release whose packages are built a second time, and whose reuse reads
# REUSE.toml.
twin=trixie
mirror=${NOVAWING_MIRROR:-http://deb.debian.org/debian}
cache=${NOVAWING_CACHE:-/var/cache/novawing}/sbuild
days=${NOVAWING_BASE_DAYS:-7}
user=novawing-build
if ischroot 2>/dev/null || [[ ${NOVAWING_IN_ROOT:-0} == 1 ]]; then in_root=1; fi
sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"

failed=0
fail() {
  echo "debian-tools-check: FAILED: $*"
  failed=1
}
ok() { echo "debian-tools-check: ok: $*"; }
# Nothing at all could be checked: the reason, and exit status 3, so that
# the caller names the check as not run rather than failed or passed.
not_run() {
  echo "debian-tools-check: NOT RUN: $*"
  exit 3
}
[[ ${#suites[@]} -gt 0 ]] || not_run "NOVAWING_PACKAGE_SUITES names no release"
# Runs a step and prints how long it took and how it ended.
timed() { # NAME COMMAND...
  local name=$1 start rc
  shift
  start=$(date +%s)
  "$@"
  rc=$?
  echo "debian-tools-check: time: $name: $(($(date +%s) - start)) s (exit $rc)"
  return $rc
}
# The same, with the command's output in LOG.
timed_log() { # NAME LOG COMMAND...
  local name=$1 log=$2 start rc
  shift 2
  start=$(date +%s)
  "$@" >"$log" 2>&1
  rc=$?
  echo "debian-tools-check: time: $name: $(($(date +%s) - start)) s (exit $rc)"
  return $rc
}
# Prints a report whole, indented, under a heading.
show() { # HEADING FILE
  echo "$1"
  if [[ -s $2 ]]; then sed 's/^/  /' "$2"; else echo "  (nothing)"; fi
}
install_missing() { # PACKAGE...
  local need=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
  done
  [[ ${#need[@]} -gt 0 ]] || return 0
  # sudo passes on no environment: the front end is set behind it.
  $sudo apt-get -o DPkg::Lock::Timeout=600 update -qq &&
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
      --no-install-recommends "${need[@]}" >"$out/apt-tools.log" 2>&1 ||
    { tail -5 "$out/apt-tools.log"; return 1; }
}

# The source package is made from the committed HEAD.
git rev-parse --verify -q HEAD >/dev/null ||
  not_run "this is no git checkout, so there is no HEAD to make the source package of"
if [[ -n $(git status --porcelain --untracked-files=no 2>/dev/null) ]]; then
  echo "debian-tools-check: the source package is made of the committed HEAD" \
    "$(git rev-parse --short HEAD); changes not yet committed are not in it"
fi
version=$(sed -n 's/^project(NovaWing VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
debversion=$(dpkg-parsechangelog -l debian/changelog -S Version 2>/dev/null ||
  sed -n '1s/.*(\(.*\)).*/\1/p' debian/changelog)

# The source package: the release tarball as .orig.tar.gz, debian/ beside it.
make_source() {
  local src=$out/source tarball
  rm -rf "$src" && mkdir -p "$src"
  tarball=$(scripts/release.sh HEAD "$src") || return 1
  mv "$tarball" "$src/novawing_$version.orig.tar.gz"
  tar -xzf "$src/novawing_$version.orig.tar.gz" -C "$src"
  # debian/ as committed too, as the tarball is: an edit not yet committed
  # is in neither.  (git archive leaves debian/ out: it is export-ignore.)
  local mode type object path
  while read -r mode type object path; do
    [[ $type == blob ]] || continue
    mkdir -p "$(dirname "$src/novawing-$version/$path")"
    if [[ $mode == 120000 ]]; then
      ln -s "$(git cat-file blob "$object")" "$src/novawing-$version/$path"
    else
      git cat-file blob "$object" >"$src/novawing-$version/$path" || return 1
      [[ $mode != 100755 ]] || chmod +x "$src/novawing-$version/$path"
    fi
  done < <(git ls-tree -r HEAD debian)
  [[ -f $src/novawing-$version/debian/changelog ]] || return 1
  (cd "$src" && dpkg-source -b "novawing-$version" >"$src/dpkg-source.log" 2>&1) ||
    { cat "$src/dpkg-source.log"; return 1; }
  chmod -R a+rX "$src"
}

# dh_auto_test's ctest must have run tests, and all of them passed: a build
# whose ctest found no test would pass as well.  A failure names the tests
# that failed, as ctest lists them.
judge_tests() { # WHAT LOG
  local line names
  line=$(grep -Em1 '^100% tests passed, 0 tests failed out of [1-9][0-9]*$' "$2")
  if [[ -n $line ]]; then
    ok "$1: dh_auto_test: $line"
  else
    line=$(grep -Em1 'tests passed|No tests were found' "$2")
    names=$(sed -n '/The following tests FAILED:/,/^Errors while running CTest/s/^[[:space:]]*[0-9][0-9]* - //p' "$2" |
      paste -sd ',' | sed 's/,/, /g')
    fail "$1: dh_auto_test: ${line:-no test ran}${names:+; failed: $names}"
  fi
}

# What the package holds and needs, kept beside the reports.
describe_deb() { # DEB REPORT_DIR
  dpkg-deb -c "$1" >"$2/contents.txt"
  dpkg-deb -I "$1" >"$2/control.txt"
  echo "debian-tools-check: $(basename "$1"): $(grep -m1 -o 'Depends: .*' "$2/control.txt")," \
    "$(wc -l <"$2/contents.txt") paths"
}

# 5. The desktop entry, the metainfo and the manual page, as packaged.
check_files() { # DEB REPORT_DIR
  "$here/scripts/check-packaged-files.sh" "$1" "$2" || failed=1
}

# lintian's findings: any error or warning fails; on the binary packages any
# finding at all fails, pedantic and informational ones too ("I: novawing:
# tag", where the source's read "I: novawing source: tag"): what the player
# installs has nothing to explain.  A lintian that could not run (exit
# status 2 and above: a file it could not read) fails too, since its report
# would hold no finding either.  Run as root, it warns that it is; that line
# is not a finding.
judge_lintian() { # WHAT REPORT EXIT_STATUS
  sed -i '/running with root privileges is not recommended/d' "$2"
  show "lintian --pedantic -I ($1):" "$2"
  if [[ $3 -ge 2 ]]; then
    fail "lintian could not check $1 (exit $3)"
  elif grep -Eq '^[EW]: ' "$2"; then
    fail "lintian reports errors or warnings on $1"
  elif grep -Eq '^[A-Z]: [a-z0-9.+-]+: ' "$2"; then
    fail "lintian has findings on the binary packages of $1: $(grep -E '^[A-Z]: [a-z0-9.+-]+: ' "$2" | tr '\n' ' ')"
  else
    ok "lintian on $1: no error, no warning, nothing on the binary packages"
  fi
}

# reuse 4 and later read REUSE.toml.
reuse_reads_toml() {
  local v
  v=$(reuse --version 2>/dev/null | grep -o '[0-9][0-9.]*' | head -1)
  [[ -n $v && ${v%%.*} -ge 4 ]]
}

# ---- Here (--here, or inside a root): this system's own tools. ----
# Whatever stops the checks early is named as a failure; the reports so far
# stay in OUT_DIR.
finish_here() {
  if [[ $failed -ne 0 ]]; then
    echo "debian-tools-check: failed; the reports are in $out"
    exit 1
  fi
  echo "debian-tools-check: passed; the reports are in $out"
  exit 0
}
if [[ $in_root -eq 1 ]]; then
  echo "debian-tools-check: with this system's own tools, no root of its own:" \
    "dpkg-buildpackage, lintian and the file checks here"
  timed "tools" install_missing build-essential debhelper dpkg-dev fakeroot lintian \
    desktop-file-utils appstream man-db reuse ||
    { fail "the tools could not be installed (apt-get, $out/apt-tools.log)"; finish_here; }
  timed "source package" make_source || { fail "the source package could not be made"; finish_here; }
  timed_log "build dependencies" "$out/build-dep.log" $sudo env DEBIAN_FRONTEND=noninteractive \
    apt-get -o DPkg::Lock::Timeout=600 build-dep -y -qq "$out"/source/novawing_*.dsc || {
    tail -5 "$out/build-dep.log"
    fail "the build dependencies could not be installed ($out/build-dep.log)"
    finish_here
  }
  DEB_BUILD_OPTIONS="parallel=$(nproc) ${DEB_BUILD_OPTIONS:-}"
  export DEB_BUILD_OPTIONS
  tree=$out/source/novawing-$version
  if (cd "$tree" && timed_log "dpkg-buildpackage" "$out/dpkg-buildpackage.log" \
    dpkg-buildpackage -us -uc); then
    judge_tests "dpkg-buildpackage" "$out/dpkg-buildpackage.log"
  elif grep -q '^dh_auto_test: error:' "$out/dpkg-buildpackage.log"; then
    judge_tests "dpkg-buildpackage" "$out/dpkg-buildpackage.log"
    # The package is what lintian and the validators judge, and its tests
    # have had their say: it is built once more without them.
    echo "debian-tools-check: the package's tests failed, so it is built once more without" \
      "them (DEB_BUILD_OPTIONS=nocheck) for lintian and the file checks"
    (cd "$tree" && DEB_BUILD_OPTIONS="nocheck $DEB_BUILD_OPTIONS" timed_log \
      "dpkg-buildpackage, nocheck" "$out/dpkg-buildpackage-nocheck.log" \
      dpkg-buildpackage -us -uc) || {
      tail -40 "$out/dpkg-buildpackage-nocheck.log"
      fail "dpkg-buildpackage without the tests failed too ($out/dpkg-buildpackage-nocheck.log)"
      finish_here
    }
  else
    tail -40 "$out/dpkg-buildpackage.log"
    fail "dpkg-buildpackage failed, not in its tests ($out/dpkg-buildpackage.log)"
    finish_here
  fi
  lintian_rc=0
  timed_log "lintian" "$out/lintian.txt" lintian --pedantic -I \
    "$out"/source/novawing_*_amd64.changes || lintian_rc=$?
  judge_lintian "$(lintian --version), this release's build, source and binaries" \
    "$out/lintian.txt" "$lintian_rc"
  describe_deb "$out/source/novawing_${debversion}_amd64.deb" "$out"
  check_files "$out/source/novawing_${debversion}_amd64.deb" "$out"
  if reuse_reads_toml; then
    if (cd "$here" && timed_log "reuse lint" "$out/reuse.txt" reuse lint); then
      ok "reuse lint ($(reuse --version | head -1)): $(grep -i 'congratulations' "$out/reuse.txt")"
    else
      show "reuse lint:" "$out/reuse.txt"
      fail "reuse lint"
    fi
  else
    echo "debian-tools-check: reuse $(reuse --version 2>/dev/null) cannot read REUSE.toml;" \
      "the native leg lints with Debian 13's"
  fi
  finish_here
fi

# ---- The native leg: every check, in clean roots of each release. ----
[[ $(id -u) -eq 0 ]] || not_run "it must run as root (it sets up the build user and the roots)"
timed "tools" install_missing sbuild mmdebstrap uidmap autopkgtest piuparts lintian zstd \
  debian-archive-keyring dpkg-dev diffoscope-minimal disorderfs fuse3 desktop-file-utils \
  appstream man-db || not_run "the tools could not be installed (apt-get, $out/apt-tools.log)"
if ! id "$user" >/dev/null 2>&1; then
  useradd --system --create-home --home-dir /var/lib/$user --shell /bin/bash "$user"
fi
grep -q "^$user:" /etc/subuid || usermod --add-subuids 300000-365535 "$user"
grep -q "^$user:" /etc/subgid || usermod --add-subgids 300000-365535 "$user"
as_builder() { runuser -u "$user" -- env HOME=/var/lib/$user "$@"; }
# sbuild, autopkgtest and mmdebstrap all work in a user namespace of the
# build user's; an unprivileged container may give none.
as_builder unshare --user --map-root-user true 2>"$out/unshare.err" ||
  not_run "the build user $user gets no user namespace: unshare --user fails ($(head -1 "$out/unshare.err"))"
mkdir -p "$cache"
chmod 755 "$cache"
# The build user works in OUT_DIR: where it cannot reach it (a folder above
# is closed to others, as /root is), the checks run in a folder of their own
# that it can reach, copied to OUT_DIR at the end, however the script ends.
reports=$out
stage=""
if ! as_builder test -x "$out"; then
  stage=$(mktemp -d /var/tmp/novawing-debian-tools.XXXXXX) ||
    not_run "the build user $user cannot reach $out, and no folder of its own could be made under /var/tmp"
  chmod 755 "$stage"
  rm -f "$out"/*.passed "$out"/*.failed
  out=$stage
  echo "debian-tools-check: the build user $user cannot reach $reports (a folder above it" \
    "is closed to others), so the checks run in $stage, copied to $reports at the end"
fi
timed "source package" make_source || exit 1
dsc=$(ls "$out"/source/novawing_*.dsc)

# The twin build's root, unpacked from the tarball; what is mounted in it
# is unmounted on the way out, however the script ends.
twin_root=$out/$twin/twin-root
unmount_twin() {
  local m
  [[ -d $twin_root ]] || return 0
  # findmnt writes a space in a path as \x20.
  findmnt -rn -o TARGET | while read -r m; do printf '%b\n' "$m"; done |
    awk -v d="$twin_root" 'index($0, d "/") == 1' | sort -r |
    while IFS= read -r m; do
      umount "$m" 2>/dev/null || fusermount3 -u "$m" 2>/dev/null || umount -l "$m"
    done
}
# What the checks left in the staging folder goes to OUT_DIR (the twin
# build's root, a whole system, is not a report).
copy_back() {
  [[ -n $stage && -d $stage ]] || return 0
  local entry
  for entry in "$stage"/*; do
    [[ -e $entry ]] && rm -rf --one-file-system "${reports:?}/${entry##*/}"
  done
  tar -C "$stage" --exclude="./$twin/twin-root" -cf - . | tar -C "$reports" -xf - ||
    echo "debian-tools-check: could not copy $stage to $reports; it is left in place"
  [[ -n $(findmnt -rn -o TARGET | awk -v d="$stage" 'index($0, d "/") == 1') ]] ||
    rm -rf --one-file-system "$stage"
}
trap 'unmount_twin; copy_back' EXIT
trap 'exit 1' INT TERM HUP

# 6 and 7: the second build of the twin release's packages, and reuse lint;
# the root stays, mounted, for that release's lintian (lint_in_twin_root).
twin_build() { # TARBALL DIR
  local tar=$1 dir=$2 root=$twin_root
  local path=/build/another-path real=/build/.unshuffled
  unmount_twin
  rm -rf --one-file-system "$root" && mkdir -p "$root" "$dir"
  tar --zstd -xf "$tar" -C "$root" || return 1
  cp /etc/resolv.conf "$root/etc/resolv.conf"
  mkdir -p "$root$real" "$root$path" "$root/tmp/src" "$root/tmp/tree" "$root/tmp/built"
  mount -t proc proc "$root/proc" && mount --bind /dev "$root/dev" &&
    mount --bind /dev/pts "$root/dev/pts" || return 1
  cp "$out"/source/novawing_* "$root/tmp/src/"
  # Every tracked file as it is in this checkout (git would not be there to
  # say which files it ignores).
  git -C "$here" ls-files -z | tar -C "$here" --null -T - -cf - | tar -C "$root/tmp/tree" -xf -
  # The one locale the second build runs in is made here (locales-all would
  # unpack every locale there is, for one used).
  timed_log "second build's root" "$dir/setup.log" chroot "$root" sh -c '
      export DEBIAN_FRONTEND=noninteractive
      apt-get -o DPkg::Lock::Timeout=600 update -qq &&
      apt-get install -y -qq --no-install-recommends faketime locales reuse lintian &&
      echo "fr_FR.UTF-8 UTF-8" >/etc/locale.gen && locale-gen &&
      [ "$(LC_ALL=fr_FR.UTF-8 locale charmap 2>&1)" = UTF-8 ] &&
      apt-get build-dep -y -qq /tmp/src/novawing_*.dsc' ||
    { tail -5 "$dir/setup.log"; return 1; }
  if timed_log "reuse lint" "$dir/reuse.txt" chroot "$root" sh -c 'cd /tmp/tree && reuse lint'; then
    ok "reuse lint ($(chroot "$root" reuse --version | head -1)): $(grep -i congratulations "$dir/reuse.txt")"
  else
    show "reuse lint:" "$dir/reuse.txt"
    fail "reuse lint"
    touch "$dir/reuse.failed"
  fi
  # disorderfs hands the directory entries out shuffled.
  disorderfs --shuffle-dirents=yes --multi-user=yes -o allow_other "$root$real" "$root$path" \
    >"$dir/disorderfs.log" 2>&1 || { cat "$dir/disorderfs.log"; return 1; }
  (cd "$root$path" && dpkg-source -x "$root"/tmp/src/novawing_*.dsc >"$dir/dpkg-source.log" 2>&1) ||
    { cat "$dir/dpkg-source.log"; return 1; }
  # The path has no space: dpkg-buildflags leaves out -ffile-prefix-map for
  # a build path with a space (a flag cannot carry one), and the compiler
  # then writes the path into the debugging data.
  # No network and no display, another host name, root instead of the build
  # user, one job instead of two, the clock 400 days on.  Its tests run as
  # the first build's do: a package that comes out the same but fails its
  # tests in another build path or time zone is no reproducible package.
  # shellcheck disable=SC2016 # expanded by the shell inside
  if timed_log "second build" "$dir/dpkg-buildpackage.log" \
    unshare --net --uts sh -c 'hostname twin-builder && exec chroot "$0" env -i \
      PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root TZ=NZST-13 LANG=fr_FR.UTF-8 \
      LC_ALL=fr_FR.UTF-8 DEB_BUILD_OPTIONS="parallel=1" sh -c "umask 002 &&
      cd \"$1/novawing-$2\" && faketime -f +400d dpkg-buildpackage -us -uc -b"' \
    "$root" "$path" "$version"; then
    judge_tests "the second build" "$dir/dpkg-buildpackage.log"
  else
    fail "the second build: $(tail -20 "$dir/dpkg-buildpackage.log")"
    return 1
  fi
  cp "$root$path"/*.deb "$dir/"
}

# The twin release's own lintian, in the second build's root, on the first
# build's packages.
lint_in_twin_root() { # BUILD_DIR REPORT
  cp "$1"/novawing_* "$1"/novawing-*.deb "$twin_root/tmp/built/"
  timed_log "lintian $twin" "$2" chroot "$twin_root" sh -c \
    'cd /tmp/built && lintian --pedantic -I *.dsc *.deb'
}

# The first and second builds' packages, side by side.
compare_twins() { # FIRST_DIR SECOND_DIR
  local deb name same=1
  for deb in "$1"/*.deb; do
    name=$(basename "$deb")
    if [[ ! -f $2/$name ]]; then
      fail "the second build made no $name"
      same=0
      continue
    fi
    diffoscope --text "$2/diffoscope-$name.txt" "$deb" "$2/$name" >/dev/null 2>&1
    show "diffoscope $name (first build) $name (second build):" "$2/diffoscope-$name.txt"
    if cmp -s "$deb" "$2/$name"; then
      ok "$name: bit-identical from both builds ($(sha256sum <"$deb" | cut -c1-16)...)"
    else
      fail "$name differs between the two builds"
      same=0
    fi
  done
  [[ $same -eq 1 ]]
}

# Waits for a step run in the background and prints its time.
joined() { # PID TIME_FILE
  wait "$1"
  local rc=$?
  cat "$2"
  return $rc
}

check_suite() { # SUITE
  local suite=$1 dir=$out/$1 tar=$cache/$1-amd64.tar.zst
  if [[ ! -f $tar || -n $(find "$tar" -mtime +"$days") ]]; then
    # mmdebstrap tells the tarball's format from the name's ending.
    timed_log "mmdebstrap $suite" "$out/mmdebstrap-$suite.log" mmdebstrap --quiet \
      --variant=buildd --mode=unshare --aptopt='Acquire::Retries "3"' \
      "$suite" "${tar%.tar.zst}.new.tar.zst" "$mirror" &&
      mv "${tar%.tar.zst}.new.tar.zst" "$tar" || {
      fail "no $suite root: $(tail -3 "$out/mmdebstrap-$suite.log")"
      return
    }
  fi
  [[ $suite != "$twin" ]] || unmount_twin
  rm -rf --one-file-system "$dir" && mkdir -p "$dir/build" "$dir/autopkgtest" "$dir/files"
  cp "$out"/source/novawing_* "$dir/build/"
  chown -R "$user" "$dir/build" "$dir/autopkgtest"
  # 6 and 7 need only the source package: beside the first build.
  local twin_job=""
  if [[ $suite == "$twin" ]]; then
    twin_build "$tar" "$dir/twin" &
    twin_job=$!
  fi

  # 1.
  if (cd "$dir/build" && timed_log "sbuild $suite" "$dir/sbuild.log" as_builder sbuild \
    --chroot-mode=unshare --chroot="$tar" --dist="$suite" --nolog --no-run-lintian \
    --no-run-autopkgtest --no-run-piuparts -j"$(nproc)" "$(basename "$dsc")"); then
    judge_tests "sbuild $suite" "$dir/sbuild.log"
  else
    fail "sbuild $suite: $(tail -15 "$dir/sbuild.log")"
    [[ -z $twin_job ]] || wait "$twin_job"
    return
  fi
  local deb=$dir/build/novawing_${debversion}_amd64.deb

  # 3 and 4 take turns at little but the network and the disk: side by side.
  timed_log "autopkgtest $suite" "$dir/autopkgtest.log" as_builder autopkgtest -U \
    --output-dir="$dir/autopkgtest" "$deb" "$dsc" -- unshare -t "$tar" \
    >"$dir/autopkgtest.time" &
  local autopkgtest=$!
  # piuparts unpacks gzip only: its copy of the root is made once for each
  # tarball, and kept beside it.
  local basetgz=${tar%.tar.zst}.piuparts.tar.gz
  if [[ ! -f $basetgz || $tar -nt $basetgz ]]; then
    zstd -dcq "$tar" | gzip -1 >"$basetgz.new" && mv "$basetgz.new" "$basetgz"
  fi
  # Debian 13's debconf leaves its own empty scratch folder tmp.ci behind
  # whenever apt preconfigures packages (here the game's dependencies); no
  # package owns it, and Debian 12's piuparts does not yet know it.
  timed_log "piuparts $suite" "$dir/piuparts.log" piuparts --basetgz="$basetgz" \
    -d "$suite" --keep-sources-list --no-upgrade-test --ignore=/var/cache/debconf/tmp.ci/ \
    "$deb" >"$dir/piuparts.time" &
  local piuparts=$!

  # 2, with this release's lintian: the second build's root has it; this
  # machine's is its own release's.
  describe_deb "$deb" "$dir/files"
  check_files "$deb" "$dir/files"
  if [[ -n $twin_job ]]; then
    if wait "$twin_job"; then
      local lintian_rc=0
      lint_in_twin_root "$dir/build" "$dir/lintian.txt" || lintian_rc=$?
      judge_lintian "$suite's lintian, $suite's build, source and binaries" "$dir/lintian.txt" \
        "$lintian_rc"
      timed "diffoscope $suite" compare_twins "$dir/build" "$dir/twin"
    else
      fail "the second build of $suite, so no lintian of $suite and no comparison"
    fi
    [[ ! -e $dir/twin/reuse.failed ]] || failed=1
    unmount_twin
    rm -rf --one-file-system "$twin_root"
  else
    local lintian_rc=0
    timed_log "lintian $suite" "$dir/lintian.txt" lintian --pedantic -I "$dsc" "$dir"/build/*.deb ||
      lintian_rc=$?
    judge_lintian "this machine's lintian ($(lintian --version)), $suite's build, source and binaries" \
      "$dir/lintian.txt" "$lintian_rc"
  fi

  if joined "$autopkgtest" "$dir/autopkgtest.time"; then
    ok "autopkgtest $suite: $(grep -E '^(start-and-quit|played-session|desktop-start) ' "$dir/autopkgtest.log" | tr '\n' ' ')"
  else
    fail "autopkgtest $suite: $(tail -12 "$dir/autopkgtest.log")"
  fi
  if joined "$piuparts" "$dir/piuparts.time"; then
    ok "piuparts $suite: $(grep -m1 'PASS:' "$dir/piuparts.log")"
  else
    fail "piuparts $suite: $(grep -E '^[0-9:.]+ (ERROR|FAIL)' "$dir/piuparts.log" | head -20)"
  fi
}

# Each release in a subshell of its own, its lines marked with its name; a
# release leaves its result in OUT_DIR/SUITE.passed or SUITE.failed.  One
# with neither ended before its checks did (killed, say): it has not passed.
pids=()
for suite in "${suites[@]}"; do
  rm -f "$out/$suite.failed" "$out/$suite.passed"
  (
    failed=0
    check_suite "$suite"
    if [[ $failed -eq 0 ]]; then touch "$out/$suite.passed"; else touch "$out/$suite.failed"; fi
  ) 2>&1 | sed -u "s/^/[$suite] /" &
  pids+=($!)
done
for pid in "${pids[@]}"; do wait "$pid"; done
for suite in "${suites[@]}"; do
  if [[ -e $out/$suite.failed ]]; then
    fail "$suite: see $reports/$suite/"
  elif [[ ! -e $out/$suite.passed ]]; then
    fail "$suite: its checks ended without a result; see $reports/$suite/"
    touch "$out/$suite.failed"
  fi
done
if [[ $failed -ne 0 ]]; then
  echo "debian-tools-check: failed; the logs and reports are in $reports"
  exit 1
fi
echo "debian-tools-check: passed; the logs and reports are in $reports"
exit 0
}
