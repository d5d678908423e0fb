#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Nova Wing authors
# SPDX-License-Identifier: GPL-2.0-or-later
# Builds the Debian source and binary packages as Debian does: the release
# tarball of HEAD (scripts/release.sh) as the .orig.tar.gz, debian/ beside
# it, and dpkg-buildpackage (debhelper, dh_auto_test running
# ctest -LE 'e2e|soak').  Prints the .deb's path last.
#
#   scripts/build-package.sh [BUILD_DIR]    default build-deb/
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(mkdir -p "${1:-build-deb}" && cd "${1:-build-deb}" && pwd)

scripts/install-deps.sh
need=()
for p in build-essential debhelper dpkg-dev fakeroot; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
done
if [[ ${#need[@]} -gt 0 ]]; then
  sudo=""
  [[ $(id -u) -eq 0 ]] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${need[@]}"
fi

version=$(sed -n 's/^project(NovaWing VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
rm -rf "$build/src" && mkdir -p "$build/src"
tarball=$(scripts/release.sh HEAD "$build/src")
mv "$tarball" "$build/src/novawing_$version.orig.tar.gz"
tar -xzf "$build/src/novawing_$version.orig.tar.gz" -C "$build/src"
cp -r debian "$build/src/novawing-$version/"
(cd "$build/src/novawing-$version" &&
  DEB_BUILD_OPTIONS="parallel=$(nproc) ${DEB_BUILD_OPTIONS:-}" dpkg-buildpackage -us -uc \
    >"$build/src/dpkg-buildpackage.log" 2>&1) ||
  { tail -40 "$build/src/dpkg-buildpackage.log" >&2; exit 1; }
ls "$build"/src/novawing_"$version"-*_amd64.deb
