#!/bin/sh
# SPDX-FileCopyrightText: 2026 The Nova Wing authors
# SPDX-License-Identifier: GPL-2.0-or-later
# What both installed-game tests share; sourced by them, inside xvfb-run.
# The game runs from a terminal of its own (script(1)), as a player starts
# it, so its running trace lands in $trace; its exit code in $work/code.
set -u
work=$(mktemp -d)
export HOME="$work/home"
unset XDG_CONFIG_HOME XDG_CACHE_HOME
mkdir "$HOME"
trace="$work/trace"
PATH="/usr/games:$PATH"

fail() {
    echo "FAIL: $*" >&2
    [ -f "$trace" ] && tail -c 2000 "$trace" | tr -d '\033' >&2
    exit 1
}
ok() { echo "ok: $*"; }

# Waits for COMMAND to succeed, looking every half second; up to 120 s,
# however busy the machine.
wait_for() { # DESCRIPTION COMMAND...
    what=$1
    shift
    i=0
    until "$@"; do
        i=$((i + 1))
        [ $i -lt 240 ] || fail "$what"
        sleep 0.5
    done
}

start_game() {
    (cd "$work" && script -qefc novawing "$trace" </dev/null >/dev/null 2>"$work/err"
    echo $? >"$work/code") &
    wait_for "no window titled \"Nova Wing\"" window_found
}
window_found() {
    window=$(xdotool search --name '^Nova Wing$' 2>/dev/null | head -1)
    [ -n "$window" ]
}
exited() { [ -s "$work/code" ]; }
hold() { # KEY SECONDS
    xdotool keydown --window "$window" "$1"
    sleep "$2"
    xdotool keyup --window "$window" "$1"
}
# Play has begun once the frame loop's trace shows.  (The trace reaches the
# terminal through curses, which leaves out what the screen already shows,
# so its lines do not count the frames.)
playing() { grep -q MoveBullets "$trace"; }
# The window's picture, as a checksum.
picture() { xwd -silent -id "$window" 2>/dev/null | md5sum; }
# A picture unlike the one before: the stars move on in every frame of play.
new_picture() {
    now=$(picture)
    [ "$now" != "$last" ] || return 1
    last=$now
}
