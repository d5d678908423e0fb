#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Nova Wing authors
# SPDX-License-Identifier: GPL-2.0-or-later
# Tries the installed Nova Wing package inside a fresh Debian root; the
# package checks (scripts/check-package.sh) copy this into the root.
#
#   package-trial.sh play    as an ordinary user: three starts under Xvfb
#   package-trial.sh purge   as root: remove and purge, then look for leftovers
# Needs the package installed, with xvfb and x11-utils, and its file list in
# /tmp/novawing.files.
set -uo pipefail
failed=0
ok() { echo "package-trial: ok: $*"; }
fail() {
  echo "package-trial: FAILED: $*"
  failed=1
}
finish() {
  [[ $failed -eq 0 ]] || exit 1
  exit 0
}

# The game's window, by its title, once it shows; its id on stdout.  A busy
# machine (the tests run beside other work) may take a while to show it.
game_window() {
  local i id
  for i in $(seq 400); do
    id=$(xwininfo -name "Nova Wing" 2>/dev/null | awk '/Window id:/ { print $4 }')
    [[ -n $id ]] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}
# Starts the game in the background with the command given, its output to
# OUT and ERR, and waits for its window; the game's process in $game, the
# window in $id.  Classic SDL 1.2 takes the next video driver it has
# (libcaca's, say) when the X server refuses its connection, and Xvfb on a
# busy machine refuses one now and then: the game then runs with no window
# at all.  Such a start is ended and made again, at most twice, and the log
# says so.  A game that ends by itself is a failure at once.
launch() { # OUT ERR COMMAND [ARGS...]
  local out=$1 err=$2 try
  shift 2
  for try in 1 2 3; do
    "$@" </dev/null >"$out" 2>"$err" &
    game=$!
    id=$(game_window) && return 0
    kill -0 "$game" 2>/dev/null || return 1
    echo "package-trial: note: start $try of $* ran for 40 s with no window titled" \
      "\"Nova Wing\" ($(xwininfo -root -tree | grep -c novawing) of the game's windows" \
      "on this display); starting again"
    stop_game "$game"
  done
  return 1
}
window_size() { xwininfo -id "$1" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'; }
stop_game() {
  kill "$1" 2>/dev/null
  wait "$1" 2>/dev/null
}

play() {
  # A login's PATH, /usr/games included, as a desktop session has it.
  . /etc/profile
  local config=$HOME/.config/novawing/config.cfg
  # Which SDL 1.2 the game runs on: classic SDL or sdl12-compat over SDL2.
  local sdl
  sdl=$(dpkg-query -W -f='${source:Package} ${Version}' libsdl1.2debian 2>/dev/null)
  echo "package-trial: SDL 1.2 here is $sdl"
  sdl=${sdl%% *}
  [[ $(id -u) -ne 0 ]] || fail "play must run as an ordinary user"
  # The root shares the host's network namespace, and with it X's abstract
  # sockets: Xvfb picks a display number nobody uses (-displayfd), or the
  # game could end up on another X server.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>/tmp/xvfb.display \
    >/tmp/xvfb.log 2>&1 &
  local xvfb=$! i
  for i in $(seq 300); do
    [[ -s /tmp/xvfb.display ]] && break
    sleep 0.1
  done
  export DISPLAY=:$(head -1 /tmp/xvfb.display)
  xwininfo -root >/dev/null 2>&1 || {
    fail "no X server: $(cat /tmp/xvfb.log)"
    finish
  }

  # First start, from a shell: the window, its icon and the player's file.
  local game id
  if launch /tmp/first.out /tmp/first.err novawing; then
    local props
    props=$(xprop -id "$id" WM_NAME WM_ICON_NAME WM_CLASS _NET_WM_ICON WM_HINTS 2>&1 |
      grep -v '^	' | grep -v '^ *$')
    echo "$props" | sed 's/^/  xprop: /' | cut -c1-100
    grep -q '^WM_NAME.* = "Nova Wing"$' <<<"$props" || fail "WM_NAME is not \"Nova Wing\""
    # The game asks for the icon title too, but SDL2 has no icon title, so
    # over sdl12-compat the window has none and desktops show WM_NAME.
    if grep -q '^WM_ICON_NAME.* = "Nova Wing"$' <<<"$props"; then
      ok "WM_ICON_NAME is \"Nova Wing\""
    elif [[ $sdl == sdl12-compat ]] && grep -q '^WM_ICON_NAME:  not found' <<<"$props"; then
      ok "no WM_ICON_NAME, as sdl12-compat never sets one"
    else
      fail "WM_ICON_NAME is not \"Nova Wing\" on $sdl"
    fi
    grep -q '^WM_CLASS.*"novawing"' <<<"$props" || fail "the window class is not novawing"
    if grep -q '^_NET_WM_ICON(CARDINAL)' <<<"$props" ||
      xprop -id "$id" WM_HINTS | grep -q 'bitmap id # to use for icon'; then
      ok "the window is titled \"Nova Wing\", class novawing, and has an icon"
    else
      fail "the window has no icon"
    fi
    [[ $(window_size "$id") == 640x480 ]] && ok "the window is 640x480 by default" ||
      fail "the first window is $(window_size "$id"), not 640x480"
  else
    fail "no window titled \"Nova Wing\" on the first start: $(cat /tmp/first.err)$(
      kill -0 "$game" 2>/dev/null && echo " (the game is running)")"
  fi
  stop_game "$game"
  [[ -f $config ]] && ok "$config appeared" || fail "$config did not appear"

  # The player asks for 800x600 in their own file.
  sed -i '/^xres$/{n;s/.*/800/};/^yres$/{n;s/.*/600/}' "$config"
  if launch /tmp/second.out /tmp/second.err novawing; then
    local size
    size=$(window_size "$id")
    [[ $size == 800x600 ]] && ok "after the player set 800x600, the window is $size" ||
      fail "after the player set 800x600, the window is $size"
  else
    fail "no window after the player set 800x600: $(cat /tmp/second.err)"
  fi
  stop_game "$game"

  # From the menu: the desktop entry's own Exec line, with no terminal at all.
  local exec
  exec=$(sed -n 's/^Exec=//p' /usr/share/applications/novawing.desktop)
  if launch /tmp/menu.out /tmp/menu.err setsid sh -c "exec $exec"; then
    sleep 2 # the trace runs on through the menu's passes
    if [[ -s /tmp/menu.out ]]; then
      fail "started as the desktop entry says ($exec), the game wrote $(wc -c </tmp/menu.out) bytes of trace"
    else
      ok "started as the desktop entry says ($exec) with no terminal: no trace"
    fi
  else
    fail "no window from the desktop entry's Exec line ($exec): $(cat /tmp/menu.err)$(
      kill -0 "$game" 2>/dev/null && echo " (the game is running)")$(
      xwininfo -root -tree | grep -c '"' | sed 's/^/, named windows: /')"
  fi
  stop_game "$game"
  kill "$xvfb" 2>/dev/null
  wait "$xvfb" 2>/dev/null
  finish
}

purge() {
  export DEBIAN_FRONTEND=noninteractive
  apt-get remove -y -qq novawing >/tmp/remove.log 2>&1 || fail "apt-get remove: $(tail -3 /tmp/remove.log)"
  # apt no longer knows a package from a file once it is removed; dpkg
  # purges what is left of it.
  dpkg --purge novawing >/tmp/purge.log 2>&1 || fail "dpkg --purge: $(tail -3 /tmp/purge.log)"
  if dpkg-query -W -f='${db:Status-Abbrev}' novawing 2>/dev/null | grep -q '^[a-z][a-z]'; then
    fail "dpkg still knows novawing: $(dpkg-query -W -f='${db:Status-Abbrev}' novawing)"
  else
    ok "removed and purged: dpkg no longer knows novawing"
  fi
  local left=() path
  while read -r path; do
    # dpkg lists the root of the package's tree as "/.": never the package's own.
    [[ $path == /. ]] && continue
    [[ -e $path || -L $path ]] || continue
    dpkg-query -S "$path" >/dev/null 2>&1 || left+=("$path")
  done </tmp/novawing.files
  if [[ ${#left[@]} -eq 0 ]]; then
    ok "none of its $(wc -l </tmp/novawing.files) paths is left behind"
  else
    fail "left behind: ${left[*]}"
  fi
  finish
}

case ${1:-} in
  play) play ;;
  purge) purge ;;
  *)
    echo "usage: $0 play|purge" >&2
    exit 2
    ;;
esac
