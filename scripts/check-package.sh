#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Nova Wing authors
# SPDX-License-Identifier: GPL-2.0-or-later
# Builds the Debian package and checks it as a Debian games maintainer and a
# player would:
#   1. lintian finds no error or warning, and nothing with -I --pedantic but
#      the tags listed in `explained` below;
#   2. the desktop entry passes desktop-file-validate, the metainfo
#      appstreamcli validate --no-net, and the manual page renders with man -l
#      without a warning;
#   3. in fresh Debian 12 and Debian 13 roots (scripts/debian-root.sh; classic
#      SDL 1.2 and sdl12-compat; on Debian 13 only its own release, as a
#      package built there needs its libraries) the package installs with apt, and an
#      ordinary user starts it under Xvfb: the window is
#      titled "Nova Wing" and has an icon and the class novawing, the player's
#      ~/.config/novawing/config.cfg appears, an 800x600 set there gives an
#      800x600 window, and the desktop entry's own Exec line, started with no
#      terminal, writes no trace; removed and purged, the package leaves
#      nothing behind.
# Step 3 is left out where this already runs inside a root (ischroot, or
# NOVAWING_IN_ROOT=1): roots are not nested.
#
#   scripts/check-package.sh [BUILD_DIR]       default build-deb/
# The reports (lintian's output and what each check printed) are kept in
# BUILD_DIR/package-checks/.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-deb}
# A package built on Debian 12 installs on Debian 12 and 13; one built on
# Debian 13 needs Debian 13's libraries (test.sh's debian12 leg builds and
# checks Debian 12's package inside a Debian 12 root).
default_suites="bookworm trixie"
if [[ $( (. /etc/os-release && echo "${VERSION_CODENAME:-}") 2>/dev/null) == trixie ]]; then
  default_suites=trixie
  echo "check-package: built on Debian 13, so tried in a Debian 13 root only"
fi
suites=${NOVAWING_PACKAGE_SUITES:-$default_suites}
# Tags lintian may give with -I --pedantic, each with the reason it stays.
explained=()

failed=0
fail() {
  echo "check-package: FAILED: $*"
  failed=1
}
ok() { echo "check-package: ok: $*"; }

tools=()
command -v lintian >/dev/null || tools+=(lintian)
command -v desktop-file-validate >/dev/null || tools+=(desktop-file-utils)
command -v appstreamcli >/dev/null || tools+=(appstream)
command -v man >/dev/null || tools+=(man-db)
if [[ ${#tools[@]} -gt 0 ]]; then
  sudo=""
  [[ $(id -u) -eq 0 ]] || sudo="sudo"
  $sudo apt-get -o DPkg::Lock::Timeout=600 update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
    --no-install-recommends "${tools[@]}"
fi

deb=$(scripts/build-package.sh "$build" | tail -1)
[[ -f $deb ]] || {
  echo "check-package: FAILED: no package was built"
  exit 1
}
deb=$(readlink -f "$deb")
reports=$build/package-checks
rm -rf "$reports"
mkdir -p "$reports"
echo "check-package: $deb"
echo "check-package: $(grep -m1 -o 'Depends: .*' <(dpkg-deb -I "$deb"))"
dpkg-deb -c "$deb" >"$reports/contents.txt"
dpkg-deb -I "$deb" >"$reports/control.txt"

# 1. lintian.  It warns when run as root; that line is not a finding.
lintian "$deb" >"$reports/lintian.txt" 2>&1
lintian -I --pedantic "$deb" >"$reports/lintian-pedantic.txt" 2>&1
sed -i '/running with root privileges is not recommended/d' "$reports"/lintian*.txt
echo "lintian:"
sed 's/^/  /' "$reports/lintian.txt"
echo "lintian -I --pedantic:"
sed 's/^/  /' "$reports/lintian-pedantic.txt"
if grep -Eq '^[EW]: ' "$reports/lintian.txt"; then
  fail "lintian reports errors or warnings"
else
  ok "lintian: no error, no warning"
fi
unexplained=$(grep -E '^[A-Z]: ' "$reports/lintian-pedantic.txt" |
  grep -vF -f <(printf '%s\n' "${explained[@]}" "no tag is explained") || true)
if [[ -n $unexplained ]]; then
  fail "lintian -I --pedantic: tags nobody has explained: $unexplained"
else
  ok "lintian -I --pedantic: nothing unexplained"
fi

# 2. The desktop entry, the metainfo and the manual page, as packaged.
scripts/check-packaged-files.sh "$deb" "$reports" || failed=1

# 3. Installed in a fresh root and played there.
if ischroot 2>/dev/null || [[ ${NOVAWING_IN_ROOT:-0} == 1 ]]; then
  echo "check-package: inside a root already: the install in a fresh root is left out"
elif [[ ! -x scripts/debian-root.sh ]]; then
  fail "scripts/debian-root.sh is missing, so the package cannot be tried in a fresh root"
else
  # Debian 12 has classic SDL 1.2, Debian 13 sdl12-compat over SDL2.
  try_in_root() {
    local suite=$1 root
    root=$(readlink -m "$build/package-root-$suite")
    if [[ -e $root ]]; then scripts/debian-root.sh remove "$root" || return 1; fi
    scripts/debian-root.sh new "$suite" "$root" >/dev/null || {
      fail "no fresh $suite root"
      return 1
    }
    cp "$deb" "$root/tmp/novawing.deb"
    cp scripts/package-trial.sh "$root/tmp/package-trial.sh"
    echo "check-package: installing in a fresh $suite root"
    if scripts/debian-root.sh run "$root" -- bash -c '
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq && apt-get install -y -qq --no-install-recommends \
          xvfb x11-utils /tmp/novawing.deb >/tmp/install.log 2>&1 ||
          { cat /tmp/install.log; exit 1; }
        dpkg-query -L novawing >/tmp/novawing.files' >"$reports/install-$suite.txt" 2>&1; then
      ok "apt installs the package in $suite"
      scripts/debian-root.sh run "$root" --user player -- bash /tmp/package-trial.sh play \
        2>&1 | tee "$reports/play-$suite.txt"
      [[ ${PIPESTATUS[0]} -eq 0 ]] || failed=1
      scripts/debian-root.sh run "$root" -- bash /tmp/package-trial.sh purge \
        2>&1 | tee "$reports/purge-$suite.txt"
      [[ ${PIPESTATUS[0]} -eq 0 ]] || failed=1
    else
      fail "apt cannot install the package in $suite: $(tail -5 "$reports/install-$suite.txt")"
    fi
    scripts/debian-root.sh remove "$root" || echo "check-package: $root is left in place"
  }
  # A root is removed on the way out too, if a check is cut short.
  trap 'for s in $suites; do
          r=$(readlink -m "$build/package-root-$s")
          [[ -e $r ]] && scripts/debian-root.sh remove "$r"
        done' EXIT
  for suite in $suites; do try_in_root "$suite"; done
fi

if [[ $failed -ne 0 ]]; then
  echo "check-package: failed; the reports are in $reports"
  exit 1
fi
echo "check-package: passed; the reports are in $reports"
