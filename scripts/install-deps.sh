#!/usr/bin/env bash
# Installs the Debian packages Nova Wing needs, and only those that are
# missing, so a second run costs nothing.
#   scripts/install-deps.sh          what building and playing needs
#   scripts/install-deps.sh --test   that, plus what the test suite needs
set -euo pipefail

packages=(g++ cmake make pkg-config libsdl1.2-dev libncurses-dev)
# The desktop icons are written as PNG files through libpng.
packages+=(libpng-dev)
if [[ "${1:-}" == "--test" ]]; then
  packages+=(googletest libgtest-dev python3 xvfb xdotool x11-apps xauth tmux imagemagick
             clang libclang-rt-14-dev valgrind)
  # The full-screen end-to-end case: a window manager, and on Debian 12 sdl12-compat beside
  # its classic SDL 1.2 (Debian 13's own SDL 1.2 is sdl12-compat already).
  packages+=(openbox); if [[ $(. /etc/os-release && echo "${ID:-}${VERSION_ID:-}") == debian12 ]]; then packages+=(libsdl1.2-compat); fi
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
