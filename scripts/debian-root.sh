#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Nova Wing authors
# SPDX-License-Identifier: GPL-2.0-or-later
# Fresh Debian roots (chroots) made from Debian's own packages, for trying
# Nova Wing on a Debian release this machine does not run.
#
#   scripts/debian-root.sh new SUITE DIR
#       a fresh root at DIR (absent or empty) for SUITE (e.g. trixie), copied
#       from a pristine base that is built once with mmdebstrap and cached
#   scripts/debian-root.sh run DIR [--user NAME] [--sudo] -- CMD [ARGS...]
#       runs CMD inside DIR, as root or as the ordinary user NAME (created if
#       missing; --sudo lets NAME use sudo without a password, as a desktop
#       user's first account can), with DIR bound onto itself (/ is a mount
#       point inside) and /proc, /dev, /dev/pts and /dev/shm mounted for the
#       run, all unmounted afterwards, on failure too
#   scripts/debian-root.sh remove DIR
#       unmounts anything left inside DIR, then deletes it; refuses, leaving
#       the tree in place, while anything is still mounted inside it
#   scripts/debian-root.sh prune
#       deletes the cached bases and packages
#
# The cache (NOVAWING_CACHE, default /var/cache/novawing) outlives the roots:
#   base-SUITE/      the pristine root (minbase, plus sudo and git), rebuilt
#                    when older than NOVAWING_BASE_DAYS days (default 7)
#   archives-SUITE/  every .deb that apt downloaded inside a root, handed to
#                    the next root so its packages need not be fetched again
# Roots on different DIRs may be made, run and removed at the same time: the
# cache is locked while a base is built or copied and while packages are
# handed back. Needs root, mmdebstrap and util-linux (installed when missing).
# One block, read whole before it runs: a checkout or an edit during a long
# run cannot change what runs.
{
set -euo pipefail

cache=${NOVAWING_CACHE:-/var/cache/novawing}
mirror=${NOVAWING_MIRROR:-http://deb.debian.org/debian}
base_days=${NOVAWING_BASE_DAYS:-7}
marker=.novawing-root
self=$(readlink -f "$0")

die() {
  echo "debian-root: $*" >&2
  exit 1
}

usage() {
  sed -n '6,20p' "$self" | sed 's/^# \{0,1\}//' >&2
  exit 2
}

need_root() {
  [[ $(id -u) -eq 0 ]] || die "must run as root (it builds and mounts a root)"
}

# Every mount point at or below $1, deepest first, as this mount namespace
# sees them.
mounts_below() {
  local dir=$1
  findmnt -rn -o TARGET | awk -v d="$dir" '$0 == d || index($0, d "/") == 1' | sort -r
}

# The suite a root was made for, from its own marker.
root_suite() {
  sed -n 's/^suite=//p' "$1/$marker" 2>/dev/null
}

# What makes a base: the tools are installed on the host when missing.
host_tools() {
  local missing=()
  command -v mmdebstrap >/dev/null || missing+=(mmdebstrap)
  command -v findmnt >/dev/null || missing+=(util-linux)
  command -v flock >/dev/null || missing+=(util-linux)
  [[ -e /usr/share/keyrings/debian-archive-keyring.gpg ]] || missing+=(debian-archive-keyring)
  [[ ${#missing[@]} -eq 0 ]] && return 0
  echo "debian-root: installing ${missing[*]}"
  DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 update -qq
  DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
    --no-install-recommends "${missing[@]}"
}

# A base is kept while it is complete (its stamp is written last), made for
# this suite and not older than base_days: older ones miss too many updates.
base_valid() {
  local base=$1 suite=$2
  [[ -f $base/$marker ]] || return 1
  [[ $(root_suite "$base") == "$suite" ]] || return 1
  [[ -x $base/usr/bin/apt-get && -x $base/usr/bin/sudo ]] || return 1
  [[ -n $(find "$base/$marker" -mtime -"$base_days" 2>/dev/null) ]]
}

build_base() {
  local suite=$1 base=$2
  local tmp=$base.new
  if [[ -e $tmp ]]; then
    [[ -z $(mounts_below "$tmp") ]] || die "$tmp has mounts inside; left in place"
    rm -rf --one-file-system "$tmp"
  fi
  echo "debian-root: building the $suite base in $base (mmdebstrap, $mirror)"
  host_tools
  # In a mount namespace of its own, so that the mounts mmdebstrap makes in
  # the new tree vanish with it, even if it is killed half-way. A snapshot
  # of the archive (a frozen mirror) serves Release files whose Valid-Until
  # has passed; apt still checks their signatures, but not their age, here
  # and in the root afterwards (mmdebstrap keeps --aptopt in the root).
  unshare --mount --propagation private -- \
    mmdebstrap --variant=minbase --include=sudo,git,ca-certificates \
      --aptopt='Acquire::Check-Valid-Until "false"' \
      "$suite" "$tmp" "deb $mirror $suite main" "deb $mirror $suite-updates main"
  printf 'suite=%s\nmade=%s\n' "$suite" "$(date -u +%FT%TZ)" >"$tmp/$marker"
  if [[ -e $base ]]; then
    [[ -z $(mounts_below "$base") ]] || die "$base has mounts inside; left in place"
    rm -rf --one-file-system "$base"
  fi
  mv "$tmp" "$base"
  # Packages that no root has fetched for two months are of older releases.
  find "$cache/archives-$suite" -maxdepth 1 -name '*.deb' -mtime +60 -delete 2>/dev/null || true
}

cmd_new() {
  [[ $# -eq 2 ]] || usage
  local suite=$1 dir
  dir=$(readlink -m "$2")
  need_root
  [[ $suite =~ ^[a-z]+$ ]] || die "suite '$suite' is not a Debian suite name"
  [[ $dir != / ]] || die "refusing to make a root at /"
  if [[ -e $dir ]]; then
    [[ -d $dir && -z $(ls -A "$dir") ]] || die "$dir exists and is not empty"
  fi
  mkdir -p "$cache" "$dir"
  # Marked first, so that 'remove' also clears a copy that stopped half-way.
  printf 'suite=%s\n' "$suite" >"$dir/$marker"
  local base=$cache/base-$suite
  (
    flock 9
    base_valid "$base" "$suite" || build_base "$suite" "$base"
    cp -a "$base/." "$dir/"
  ) 9>"$cache/lock-$suite"
  # The new root starts with every package fetched so far, as hard links when
  # the cache shares the file system.
  if [[ -d $cache/archives-$suite ]]; then
    find "$cache/archives-$suite" -maxdepth 1 -name '*.deb' \
      -exec cp -l -n -t "$dir/var/cache/apt/archives/" {} + 2>/dev/null ||
      find "$cache/archives-$suite" -maxdepth 1 -name '*.deb' \
        -exec cp -n -t "$dir/var/cache/apt/archives/" {} +
  fi
  cp /etc/resolv.conf "$dir/etc/resolv.conf" 2>/dev/null || true
  echo "debian-root: $dir is a fresh $suite root"
}

# Hands the packages a root downloaded back to the cache, for the next root.
keep_archives() {
  local dir=$1 suite
  suite=$(root_suite "$dir")
  [[ -n $suite && -d $dir/var/cache/apt/archives ]] || return 0
  mkdir -p "$cache/archives-$suite"
  (
    flock 9
    find "$dir/var/cache/apt/archives" -maxdepth 1 -name '*.deb' \
      -exec cp -n -t "$cache/archives-$suite/" {} +
  ) 9>"$cache/lock-$suite"
}

cmd_run() {
  [[ $# -ge 1 ]] || usage
  local dir user="" sudo=no
  dir=$(readlink -m "$1")
  shift
  while [[ $# -gt 0 ]]; do
    case $1 in
      --user) [[ $# -ge 2 ]] || usage; user=$2; shift 2 ;;
      --sudo) sudo=yes; shift ;;
      --) shift; break ;;
      *) usage ;;
    esac
  done
  [[ $# -ge 1 ]] || usage
  need_root
  [[ -f $dir/$marker ]] || die "$dir is not a root made by 'new'"
  [[ -z $user || $user =~ ^[a-z_][a-z0-9_-]*$ ]] || die "'$user' is not a user name"
  cp /etc/resolv.conf "$dir/etc/resolv.conf" 2>/dev/null || true
  # sudo looks up the host's name.
  grep -qw "$(hostname)" "$dir/etc/hosts" 2>/dev/null ||
    echo "127.0.1.1 $(hostname)" >>"$dir/etc/hosts"
  local status=0
  # A mount namespace of its own keeps the root's mounts out of the host's
  # view, and a PID namespace ends whatever the command leaves running (an X
  # server, a game) when the command ends, so nothing holds the mounts.
  unshare --mount --pid --fork --propagation private -- \
    "$self" __inside "$dir" "$user" "$sudo" "$@" || status=$?
  keep_archives "$dir" || echo "debian-root: could not keep the downloaded packages" >&2
  return "$status"
}

# Runs as PID 1 of the new namespaces.
inside_dir=""
mounted=()
unmount_all() {
  local dir=$inside_dir
  local m i
  # Anything still running in the namespace would keep /dev busy.
  local tries
  for tries in 1 2 3 4 5 6 7 8 9 10; do
    local others=0
    for m in "$dir"/proc/[0-9]*; do
      i=${m##*/}
      [[ -d $m && $i != 1 ]] || continue
      others=1
      kill -KILL "$i" 2>/dev/null || true
    done
    [[ $others -eq 0 ]] && break
    sleep 0.2
  done
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    m=${mounted[i]}
    if mountpoint -q "$m"; then
      umount "$m" 2>/dev/null || umount -l "$m" ||
        echo "debian-root: could not unmount $m" >&2
    fi
  done
  mounted=()
}

cmd_inside() {
  local dir=$1 user=$2 sudo=$3
  shift 3
  inside_dir=$dir
  trap unmount_all EXIT
  trap 'exit 143' TERM
  trap 'exit 130' INT
  # The root bound onto itself is a mount point of its own, so that inside
  # it / is one too: a command there can make a root of its own again (the
  # release's ./test.sh does), as unshare's --propagation needs.
  mount --bind "$dir" "$dir" && mounted+=("$dir")
  mount -t proc proc "$dir/proc" && mounted+=("$dir/proc")
  mount --bind /dev "$dir/dev" && mounted+=("$dir/dev")
  mount -t devpts -o newinstance,ptmxmode=0666,mode=620,gid=5 devpts "$dir/dev/pts" &&
    mounted+=("$dir/dev/pts")
  # The root's own pseudo-terminal instance, and its own shared memory.
  mount --bind "$dir/dev/pts/ptmx" "$dir/dev/ptmx" && mounted+=("$dir/dev/ptmx")
  mount -t tmpfs -o mode=1777,nosuid,nodev shm "$dir/dev/shm" && mounted+=("$dir/dev/shm")

  local env=(HOME=/root USER=root LOGNAME=root SHELL=/bin/bash LANG=C.UTF-8
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin)
  [[ -n ${TERM:-} ]] && env+=(TERM="$TERM")
  local status=0
  if [[ -z $user ]]; then
    chroot "$dir" /usr/bin/env -i "${env[@]}" /bin/bash -c 'cd ~ && exec "$@"' bash "$@" ||
      status=$?
  else
    chroot "$dir" /usr/bin/id -u "$user" >/dev/null 2>&1 ||
      chroot "$dir" /usr/sbin/useradd --create-home --shell /bin/bash "$user"
    if [[ $sudo == yes ]]; then
      echo "$user ALL=(ALL) NOPASSWD:ALL" >"$dir/etc/sudoers.d/novawing-$user"
      chmod 0440 "$dir/etc/sudoers.d/novawing-$user"
    fi
    local home
    home=$(chroot "$dir" /usr/bin/getent passwd "$user" | cut -d: -f6)
    env=(HOME="$home" USER="$user" LOGNAME="$user" SHELL=/bin/bash LANG=C.UTF-8
      PATH=/usr/local/bin:/usr/bin:/bin)
    [[ -n ${TERM:-} ]] && env+=(TERM="$TERM")
    chroot "$dir" /usr/sbin/runuser -u "$user" -- /usr/bin/env -i "${env[@]}" \
      /bin/bash -c 'cd ~ && exec "$@"' bash "$@" || status=$?
  fi
  unmount_all
  return "$status"
}

cmd_remove() {
  [[ $# -eq 1 ]] || usage
  local dir m
  dir=$(readlink -m "$1")
  need_root
  [[ -e $dir ]] || return 0
  [[ $dir != / ]] || die "refusing to remove /"
  if [[ -d $dir && -z $(ls -A "$dir") ]]; then
    rmdir "$dir"
    return 0
  fi
  [[ -f $dir/$marker ]] || die "$dir is not a root made by 'new'; not removing it"
  for m in $(mounts_below "$dir"); do
    echo "debian-root: unmounting $m"
    umount "$m" || true
  done
  local left
  left=$(mounts_below "$dir")
  if [[ -n $left ]]; then
    echo "debian-root: still mounted inside $dir, so it is left in place:" >&2
    echo "$left" >&2
    return 1
  fi
  # --one-file-system: a mount that appeared since the check is never entered.
  rm -rf --one-file-system "$dir"
}

cmd_prune() {
  need_root
  local b
  for b in "$cache"/base-* "$cache"/base-*.new; do
    [[ -e $b ]] || continue
    [[ -z $(mounts_below "$(readlink -m "$b")") ]] || die "$b has mounts inside; left in place"
    rm -rf --one-file-system "$b"
  done
  rm -rf "$cache"/archives-*
}

verb=${1:-}
[[ $# -gt 0 ]] && shift
case $verb in
  new) cmd_new "$@" ;;
  run) cmd_run "$@" ;;
  remove) cmd_remove "$@" ;;
  prune) cmd_prune "$@" ;;
  __inside) cmd_inside "$@" ;;
  *) usage ;;
esac
exit
}
