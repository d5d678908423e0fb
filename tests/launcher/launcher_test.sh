#!/bin/sh
# SPDX-FileCopyrightText: 2026 The Nova Wing authors
# SPDX-License-Identifier: GPL-2.0-or-later
# The launcher, installed from BUILD_DIR into a scratch prefix, with the game
# replaced by a stand-in that reports what it found: its working directory,
# the config.cfg it reads there and the images beside it.
#
#   launcher_test.sh BUILD_DIR BIN_DIR EXE_DIR DATA_DIR
# The last three are the install directories, relative to the prefix, of the
# layout the build was configured with (plain or the Debian games layout).
set -u
build=$1
bindir=$2
exedir=$3
datadir=$4
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
check() { # DESCRIPTION, then a command that must succeed
    what=$1
    shift
    if "$@"; then :; else
        echo "FAIL: $what" >&2
        failures=$((failures + 1))
    fi
}

prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" --component game >/dev/null || exit 1
default="$prefix/$datadir/config.cfg"
cp "$default" "$scratch/default.orig"
cat >"$prefix/$exedir/novawing" <<'STUB'
#!/bin/sh
echo "dimensioning memory"
echo "stand-in game started" >&2
pwd -P >"$REPORT/cwd"
cat config.cfg >"$REPORT/config"
[ -r data/forward.bmp ] && touch "$REPORT/data"
exit 0
STUB
chmod +x "$prefix/$exedir/novawing"

# Runs the launcher as a player whose home is $scratch/NAME; the rest of the
# arguments are environment settings.  Standard output and error land in
# $home.out and $home.err, what the stand-in saw in $home.report/.
play() {
    name=$1
    shift
    home=$scratch/$name
    mkdir -p "$home" "$home.report"
    env -i PATH="$PATH" HOME="$home" REPORT="$home.report" "$@" \
        "$prefix/$bindir/novawing" >"$home.out" 2>"$home.err" </dev/null
}
lines() { wc -l <"$1" | tr -d ' '; }
same() { cmp -s "$1" "$2"; }

# First start with the XDG directories set: the player's file is made from
# the default, and the game runs in its own directory beside it.
play first XDG_CONFIG_HOME="$scratch/first/cfg" XDG_CACHE_HOME="$scratch/first/cache"
check "first start succeeds" [ $? -eq 0 ]
home=$scratch/first
check "config.cfg made from the default" same "$home/cfg/novawing/config.cfg" "$default"
check "the game runs in the cache directory" [ "$(cat "$home.report/cwd")" = "$(cd "$home/cache/novawing" && pwd -P)" ]
check "the game reads the player's file" same "$home.report/config" "$default"
check "the game finds the shared images" [ -e "$home.report/data" ]
check "no trace without a terminal" [ ! -s "$home.out" ]
check "errors still reach stderr" grep -q "stand-in game started" "$home.err"

# The player's edit is what the game reads next time, and the default stays.
printf 'xres\n800\nyres\n600\n' >"$home/cfg/novawing/config.cfg"
play first XDG_CONFIG_HOME="$scratch/first/cfg" XDG_CACHE_HOME="$scratch/first/cache"
check "second start succeeds" [ $? -eq 0 ]
check "the edit is kept and read" [ "$(cat "$home.report/config")" = "$(printf 'xres\n800\nyres\n600')" ]
check "the default is never written" same "$default" "$scratch/default.orig"

# Without the variables (and with relative ones, which do not count) the
# files go under ~/.config and ~/.cache.
play plain XDG_CONFIG_HOME=relative/cfg
check "start with the defaults succeeds" [ $? -eq 0 ]
home=$scratch/plain
check "config.cfg under ~/.config" same "$home/.config/novawing/config.cfg" "$default"
check "working directory under ~/.cache" [ "$(cat "$home.report/cwd")" = "$(cd "$home/.cache/novawing" && pwd -P)" ]
check "a relative XDG_CONFIG_HOME is ignored" [ ! -e "$home/relative" ]

# On a terminal the trace shows as it always has.
if command -v script >/dev/null; then
    home=$scratch/plain
    env -i PATH="$PATH" HOME="$home" REPORT="$home.report" \
        script -qec "$prefix/$bindir/novawing" /dev/null </dev/null >"$home.tty" 2>&1
    check "the trace shows on a terminal" grep -q "dimensioning memory" "$home.tty"
fi

# Whatever stands in the way, one line on stderr names the path, the exit
# code is not 0, and the game is not started.
refused() { # NAME PATH_NAMED, after play NAME ...
    code=$?
    home=$scratch/$1
    check "$1: refused with a non-zero exit" [ "$code" -ne 0 ]
    check "$1: one line on stderr" [ "$(lines "$home.err")" = 1 ]
    check "$1: the line names $2" grep -qF "$2" "$home.err"
    check "$1: the game is not started" [ ! -e "$home.report/cwd" ]
}
mkdir -p "$scratch/cfgfile/.config"
touch "$scratch/cfgfile/.config/novawing"
play cfgfile
refused cfgfile "$scratch/cfgfile/.config/novawing"

play nowhere XDG_CONFIG_HOME=/proc/no-such-folder
refused nowhere /proc/no-such-folder/novawing

mkdir -p "$scratch/cfgdir/.config/novawing/config.cfg"
play cfgdir
refused cfgdir "$scratch/cfgdir/.config/novawing/config.cfg"

mkdir -p "$scratch/cachefile/.cache"
touch "$scratch/cachefile/.cache/novawing"
play cachefile
refused cachefile "$scratch/cachefile/.cache/novawing"

mkdir -p "$scratch/datadir/.cache/novawing/data"
play datadir
refused datadir "$scratch/datadir/.cache/novawing/data"

mkdir -p "$scratch/nohome" "$scratch/nohome.report"
env -i PATH="$PATH" REPORT="$scratch/nohome.report" "$prefix/$bindir/novawing" \
    >"$scratch/nohome.out" 2>"$scratch/nohome.err" </dev/null
refused nohome HOME

if [ "$failures" -ne 0 ]; then
    echo "$failures launcher checks failed" >&2
    exit 1
fi
echo "launcher: every check passed"
