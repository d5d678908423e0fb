#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Nova Wing authors
# SPDX-License-Identifier: GPL-2.0-or-later
# Builds the source package of HEAD as Debian's buildds do, and checks the
# result as Debian does, for each release named:
#   1. sbuild in unshare mode, in a clean root made by mmdebstrap
#      (--variant=buildd), with no network during the build; dh_auto_test
#      runs the hermetic tests there;
#   2. lintian --pedantic on the .dsc and the built .debs: no error, no
#      warning (Debian 12's lintian knows policy only up to 4.6.2, so there
#      its newer-standards-version warning on the source is the one let by);
#   3. autopkgtest of the built .deb with the unshare backend, in a fresh
#      root unpacked from the same tarball.
#
#   scripts/sbuild-check.sh OUT_DIR [SUITE...]    default: bookworm trixie
# sbuild's unshare mode is made for an ordinary user with subordinate ids,
# so the builds run as the system user novawing-build (created when missing,
# with the ids 300000-365535).  The roots' tarballs are kept in
# NOVAWING_CACHE/sbuild (default /var/cache/novawing) and made again when
# older than NOVAWING_BASE_DAYS days (default 7).  Needs root.
set -uo pipefail
cd "$(dirname "$0")/.."
[[ $# -ge 1 ]] || {
  sed -n '14p' "$0" | sed 's/^# //' >&2
  exit 2
}
out=$(mkdir -p "$1" && cd "$1" && pwd)
shift
suites=("$@")
[[ ${#suites[@]} -gt 0 ]] || suites=(bookworm trixie)
cache=${NOVAWING_CACHE:-/var/cache/novawing}/sbuild
days=${NOVAWING_BASE_DAYS:-7}
user=novawing-build
failed=0
fail() {
  echo "sbuild-check: FAILED: $*"
  failed=1
}
ok() { echo "sbuild-check: ok: $*"; }
# Runs a step and prints how long it took.
timed() { # NAME COMMAND...
  local name=$1 start rc
  shift
  start=$(date +%s)
  "$@"
  rc=$?
  echo "sbuild-check: time: $name: $(($(date +%s) - start)) s (exit $rc)"
  return $rc
}

[[ $(id -u) -eq 0 ]] || {
  echo "sbuild-check: must run as root (it sets up the build user)" >&2
  exit 1
}
need=()
for p in sbuild mmdebstrap uidmap autopkgtest lintian zstd debian-archive-keyring dpkg-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
done
if [[ ${#need[@]} -gt 0 ]]; then
  apt-get -o DPkg::Lock::Timeout=600 update -qq
  DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
    --no-install-recommends "${need[@]}" >/dev/null
fi
if ! id "$user" >/dev/null 2>&1; then
  useradd --system --create-home --home-dir /var/lib/$user --shell /bin/bash "$user"
fi
grep -q "^$user:" /etc/subuid || usermod --add-subuids 300000-365535 "$user"
grep -q "^$user:" /etc/subgid || usermod --add-subgids 300000-365535 "$user"
mkdir -p "$cache"
chmod 755 "$cache"

# The source package: the release tarball as .orig.tar.gz, debian/ beside it.
version=$(sed -n 's/^project(NovaWing VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
src=$out/source
rm -rf "$src" && mkdir -p "$src"
tarball=$(scripts/release.sh HEAD "$src") || exit 1
mv "$tarball" "$src/novawing_$version.orig.tar.gz"
tar -xzf "$src/novawing_$version.orig.tar.gz" -C "$src"
cp -r debian "$src/novawing-$version/"
(cd "$src" && dpkg-source -b "novawing-$version" >/dev/null) || exit 1
dsc=$(ls "$src"/novawing_*.dsc)

check_suite() {
  local suite=$1 dir=$out/$suite tar=$cache/$1-amd64.tar.zst
  if [[ ! -f $tar || -n $(find "$tar" -mtime +"$days") ]]; then
    timed "mmdebstrap $suite" mmdebstrap --quiet --variant=buildd --mode=unshare \
      "$suite" "$tar.new" >"$out/mmdebstrap-$suite.log" 2>&1 &&
      mv "$tar.new" "$tar" || {
      fail "no $suite root: $(tail -3 "$out/mmdebstrap-$suite.log")"
      return
    }
  fi
  rm -rf "$dir" && mkdir -p "$dir"
  cp "$src"/novawing_* "$dir/"
  chown -R "$user" "$dir"
  if (cd "$dir" && timed "sbuild $suite" runuser -u "$user" -- env HOME=/var/lib/$user \
    sbuild --chroot-mode=unshare --chroot="$tar" --dist="$suite" --nolog \
    --no-run-lintian --no-run-autopkgtest --no-run-piuparts -j"$(nproc)" \
    "$(basename "$dsc")" >"$dir/sbuild.log" 2>&1); then
    grep 'sbuild-check: time:' "$dir/sbuild.log"
    ok "sbuild $suite: $(grep -m1 'tests passed' "$dir/sbuild.log")"
  else
    fail "sbuild $suite: $(tail -5 "$dir/sbuild.log")"
    return
  fi
  local deb=$dir/novawing_${version}-1_amd64.deb
  lintian --pedantic -I "$dsc" "$dir"/*.deb 2>&1 | grep -v 'root privileges' \
    >"$dir/lintian.txt"
  echo "lintian --pedantic -I ($suite's build, this machine's lintian):"
  sed 's/^/  /' "$dir/lintian.txt"
  if grep -E '^[EW]: ' "$dir/lintian.txt" |
    grep -v '^W: novawing source: newer-standards-version 4.7.2 (current is 4.6.2)$' | grep -q .; then
    fail "lintian reports errors or warnings on the $suite build"
  else
    ok "lintian on the $suite build: no error, no warning"
  fi
  # As the build user too (the unshare backend maps its subordinate ids);
  # -U reads the package lists first, which the buildd root leaves out.
  chmod -R a+rX "$src"
  if timed "autopkgtest $suite" runuser -u "$user" -- env HOME=/var/lib/$user \
    autopkgtest -U --output-dir="$dir/autopkgtest" "$deb" "$dsc" \
    -- unshare -t "$tar" >"$dir/autopkgtest.log" 2>&1; then
    grep 'sbuild-check: time:' "$dir/autopkgtest.log"
    ok "autopkgtest $suite: $(grep -E '^(start-and-quit|played-session) ' "$dir/autopkgtest.log" | tr '\n' ' ')"
  else
    fail "autopkgtest $suite: $(tail -8 "$dir/autopkgtest.log")"
  fi
}
for suite in "${suites[@]}"; do check_suite "$suite"; done
[[ $failed -eq 0 ]] || exit 1
echo "sbuild-check: passed; the logs are in $out"
