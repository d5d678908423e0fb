#!/usr/bin/env bash
# Fresh Debian roots (chroots), made from Debian's own packages, to try Nova
# Wing on a release this machine does not run.
#
#   scripts/debian-root.sh new SUITE DIR
#       a fresh root at DIR (absent or empty) for SUITE (bookworm, trixie),
#       copied from a base that mmdebstrap builds once and keeps in
#       $NOVAWING_ROOT_CACHE (default /var/cache/novawing-roots) for a week
#   scripts/debian-root.sh run DIR [--user NAME] -- CMD [ARGS...]
#       runs CMD in DIR, as root or as the ordinary user NAME (made if
#       missing), with /proc, /dev, /dev/pts and /dev/shm mounted around the
#       run and unmounted after it, on failure too
#   scripts/debian-root.sh remove DIR
#       deletes DIR; refuses, leaving it in place, while anything is mounted
#       inside it
# Needs root; installs mmdebstrap and debian-archive-keyring when missing.
set -euo pipefail

cache=${NOVAWING_ROOT_CACHE:-/var/cache/novawing-roots}
marker=.novawing-root
self=$(readlink -f "$0")

die() {
  echo "debian-root: $*" >&2
  exit 1
}
usage() {
  sed -n '5,16p' "$self" | sed 's/^# \{0,1\}//' >&2
  exit 2
}
[[ $(id -u) -eq 0 ]] || die "must run as root"

# Mount points at or below DIR, deepest first.
mounts_below() {
  findmnt -rn -o TARGET | awk -v d="$1" '$0 == d || index($0, d "/") == 1' | sort -r
}

cmd_new() {
  [[ $# -eq 2 ]] || usage
  local suite=$1 dir base
  dir=$(readlink -m "$2")
  [[ $suite =~ ^[a-z]+$ ]] || die "'$suite' is not a Debian suite name"
  [[ $dir != / ]] || die "refusing to make a root at /"
  if [[ -e $dir ]]; then
    [[ -d $dir && -z $(ls -A "$dir") ]] || die "$dir exists and is not empty"
  fi
  base=$cache/$suite
  mkdir -p "$cache" "$dir"
  (
    # One builder at a time; a base is used only once it is complete.
    flock 9
    if [[ -z $(find "$base/$marker" -mtime -7 2>/dev/null) ]]; then
      if ! command -v mmdebstrap >/dev/null ||
        [[ ! -e /usr/share/keyrings/debian-archive-keyring.gpg ]]; then
        apt-get -o DPkg::Lock::Timeout=600 update -qq
        DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
          --no-install-recommends mmdebstrap debian-archive-keyring
      fi
      [[ -z $(mounts_below "$(readlink -m "$base.new")") ]] || die "$base.new has mounts inside"
      rm -rf --one-file-system "$base.new"
      echo "debian-root: building the $suite base (mmdebstrap)"
      mmdebstrap --quiet --variant=minbase --include=ca-certificates "$suite" "$base.new" \
        "deb http://deb.debian.org/debian $suite main" \
        "deb http://deb.debian.org/debian $suite-updates main"
      echo "suite=$suite" >"$base.new/$marker"
      [[ -z $(mounts_below "$(readlink -m "$base")") ]] || die "$base has mounts inside"
      rm -rf --one-file-system "$base"
      mv "$base.new" "$base"
    fi
    cp -a "$base/." "$dir/"
  ) 9>"$cache/lock-$suite"
  cp /etc/resolv.conf "$dir/etc/resolv.conf" 2>/dev/null || true
  echo "debian-root: $dir is a fresh $suite root"
}

cmd_run() {
  [[ $# -ge 1 ]] || usage
  local dir user=""
  dir=$(readlink -m "$1")
  shift
  if [[ ${1:-} == --user ]]; then
    [[ $# -ge 2 ]] || usage
    user=$2
    shift 2
  fi
  [[ ${1:-} == -- ]] || usage
  shift
  [[ $# -ge 1 ]] || usage
  [[ -f $dir/$marker ]] || die "$dir is not a root made by 'new'"
  [[ -z $user || $user =~ ^[a-z_][a-z0-9_-]*$ ]] || die "'$user' is not a user name"
  # Own mount and PID namespaces: the mounts stay out of the host's view, and
  # whatever the command leaves running ends with it, so nothing holds them.
  unshare --mount --pid --fork --propagation private -- "$self" __inside "$dir" "$user" "$@"
}

# What the run mounted, undone in reverse order when it ends, however it ends.
mounted=()
undo_mounts() {
  local i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}" ||
      echo "debian-root: could not unmount ${mounted[i]}" >&2
  done
  mounted=()
}

cmd_inside() {
  local dir=$1 user=$2
  shift 2
  trap undo_mounts EXIT
  mount -t proc proc "$dir/proc" && mounted+=("$dir/proc")
  mount --bind /dev "$dir/dev" && mounted+=("$dir/dev")
  mount -t devpts -o newinstance,ptmxmode=0666,mode=620 devpts "$dir/dev/pts" &&
    mounted+=("$dir/dev/pts")
  mount --bind "$dir/dev/pts/ptmx" "$dir/dev/ptmx" && mounted+=("$dir/dev/ptmx")
  mount -t tmpfs -o mode=1777,nosuid,nodev shm "$dir/dev/shm" && mounted+=("$dir/dev/shm")

  local name=root home=/root path=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
  if [[ -n $user ]]; then
    chroot "$dir" /usr/bin/id -u "$user" >/dev/null 2>&1 ||
      chroot "$dir" /usr/sbin/useradd --create-home --shell /bin/bash "$user"
    name=$user
    home=$(chroot "$dir" /usr/bin/getent passwd "$user" | cut -d: -f6)
    path=/usr/local/bin:/usr/bin:/bin
  fi
  local status=0
  chroot "$dir" /usr/sbin/runuser -u "$name" -- /usr/bin/env -i HOME="$home" USER="$name" \
    LOGNAME="$name" SHELL=/bin/bash LANG=C.UTF-8 PATH="$path" ${TERM:+TERM="$TERM"} \
    /bin/bash -c 'cd ~ && exec "$@"' bash "$@" || status=$?
  return "$status"
}

cmd_remove() {
  [[ $# -eq 1 ]] || usage
  local dir
  dir=$(readlink -m "$1")
  [[ -e $dir ]] || return 0
  [[ $dir != / ]] || die "refusing to remove /"
  [[ -f $dir/$marker ]] || die "$dir is not a root made by 'new'; not removing it"
  if [[ -n $(mounts_below "$dir") ]]; then
    echo "debian-root: still mounted inside $dir, so it is left in place:" >&2
    mounts_below "$dir" >&2
    return 1
  fi
  # --one-file-system: never into a mount that appeared after the check.
  rm -rf --one-file-system "$dir"
}

verb=${1:-}
[[ $# -gt 0 ]] && shift
case $verb in
  new) cmd_new "$@" ;;
  run) cmd_run "$@" ;;
  remove) cmd_remove "$@" ;;
  __inside) cmd_inside "$@" ;;
  *) usage ;;
esac
