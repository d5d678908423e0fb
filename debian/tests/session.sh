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

# On a busy machine the X server now and then refuses a connection: classic
# SDL 1.2 may then fall back to another video driver, or the game gives up
# with exit code 1.  A start that ends, or runs a minute with no window, is
# made again, at most twice, and the log says so.
start_game() {
    try=1
    while :; do
        rm -f "$work/code"
        setsid sh -c 'cd "$1" && script -qefc novawing "$2" </dev/null >/dev/null 2>"$1/err"
            echo $? >"$1/code"' sh "$work" "$trace" &
        starter=$!
        i=0
        while [ $i -lt 120 ] && ! exited; do
            window_found && return 0
            i=$((i + 1))
            sleep 0.5
        done
        window_found && return 0
        kill -- "-$starter" 2>/dev/null
        wait "$starter" 2>/dev/null
        [ $try -lt 3 ] || fail "no window titled \"Nova Wing\" in three starts: $(cat "$work/err")"
        echo "note: start $try showed no window; starting again"
        try=$((try + 1))
    done
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
