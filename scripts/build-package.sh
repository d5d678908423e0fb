#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Nova Wing authors
# SPDX-License-Identifier: GPL-2.0-or-later
# Builds the Debian package of Nova Wing with Debian's own compiler and linker
# flags (dpkg-buildflags, every hardening feature on), as a Debian build of
# the game would be.
#
#   scripts/build-package.sh [BUILD_DIR]    default build-deb/; prints the .deb's path
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-deb}

scripts/install-deps.sh
# dpkg-buildflags and dpkg-shlibdeps (which works out the Depends line).
if ! dpkg-query -W -f='${Status}' dpkg-dev 2>/dev/null | grep -q "install ok installed"; then
  sudo=""
  [[ $(id -u) -eq 0 ]] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends dpkg-dev
fi

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
flag() { dpkg-buildflags --get "$1"; }
# Build type None: the optimisation and debug flags are dpkg-buildflags' alone.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=None -DNOVAWING_TESTS=OFF \
  -DCMAKE_CXX_FLAGS="$(flag CPPFLAGS) $(flag CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(flag LDFLAGS)" >/dev/null
cmake --build "$build" -j"$(nproc)" --target novawing icons package_docs >/dev/null
rm -f "$build"/novawing_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/novawing_*.deb
