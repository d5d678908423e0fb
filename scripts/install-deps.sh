#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Nova Wing authors
# SPDX-License-Identifier: GPL-2.0-or-later
# Installs the Debian packages Nova Wing needs, and only those that are
# missing, so a second run costs nothing.
#   scripts/install-deps.sh          what building and playing needs
#   scripts/install-deps.sh --test   that, plus what the test suite needs
# Every name exists on Debian 12, Debian 13 and Debian forky alike: nothing is
# pinned to one release's toolchain. The fuzzers' runtime goes with whichever
# clang the release makes the default (clang 14 on Debian 12, clang 19 on
# Debian 13, clang 21 on forky), so its package is named after the installed
# clang.
set -euo pipefail

packages=(g++ cmake make pkg-config libsdl1.2-dev libncurses-dev)
# The desktop icons are written as PNG files through libpng; the desktop's
# Xft.dpi and the screen's size are read through Xlib.
packages+=(libpng-dev libx11-dev)
test=no
if [[ "${1:-}" == "--test" ]]; then
  test=yes
  packages+=(googletest libgtest-dev python3 xvfb xdotool x11-apps xauth tmux imagemagick
             clang valgrind)
  # The full-screen end-to-end case: a window manager, and on Debian 12 sdl12-compat beside
  # its classic SDL 1.2 (Debian 13's own SDL 1.2 is sdl12-compat already).
  packages+=(openbox)
  # The scaled-window case sets the X server's Xft.dpi with xrdb.
  packages+=(x11-xserver-utils)
  # The Wayland end-to-end case: headless sway with Xwayland, wtype to type, grim to look.
  packages+=(sway wtype grim xwayland)
  if [[ $(. /etc/os-release && echo "${ID:-}${VERSION_ID:-}") == debian12 ]]; then
    packages+=(libsdl1.2-compat)
  fi
fi

sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
updated=no

# apt-get waiting for another apt or dpkg to finish. DPkg::Lock::Timeout
# covers dpkg's lock; the package lists' lock has no timeout, so an update
# that finds it taken tries again.
apt_get() {
  local tries=0 log
  log=$(mktemp)
  while true; do
    if $sudo apt-get -o DPkg::Lock::Timeout=600 "$@" 2>"$log"; then
      cat "$log" >&2
      rm -f "$log"
      return 0
    fi
    if grep -q 'Could not get lock' "$log" && [[ $((tries += 1)) -le 60 ]]; then
      sleep 10
      continue
    fi
    cat "$log" >&2
    rm -f "$log"
    return 1
  done
}

install_missing() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$p")
  done
  [[ ${#missing[@]} -eq 0 ]] && return 0
  echo "Installing: ${missing[*]}"
  if [[ $updated == no ]]; then
    apt_get update -qq
    updated=yes
  fi
  apt_get install -y -qq --no-install-recommends "${missing[@]}"
}

install_missing "${packages[@]}"
if [[ $test == yes ]]; then
  major=$(clang --version | sed -n 's/.*clang version \([0-9][0-9]*\).*/\1/p' | head -1)
  [[ -n $major ]] || { echo "install-deps: cannot tell clang's version" >&2; exit 1; }
  install_missing "libclang-rt-$major-dev"
fi
