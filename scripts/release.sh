#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Nova Wing authors
# SPDX-License-Identifier: GPL-2.0-or-later
# Makes the release tarball novawing-VERSION.tar.gz of a commit, VERSION
# being the one in that commit's CMakeLists.txt (project(... VERSION)).
#
#   scripts/release.sh [COMMIT [OUT_DIR]]    default HEAD and the current folder
#
# git archive writes the files in sorted order, owned by 0, each with the
# commit's time; gzip -n leaves out the name and time it would otherwise put
# in its header.  So the same commit gives the same bytes on every run.  The
# tarball holds no .git and builds without git.
set -euo pipefail
commit=${1:-HEAD}
out=${2:-.}
cd "$(dirname "$0")/.."
version=$(git show "$commit:CMakeLists.txt" |
  sed -n 's/^project(NovaWing VERSION \([0-9.]*\) .*/\1/p')
[[ -n $version ]] || { echo "release.sh: no project(NovaWing VERSION ...) in $commit:CMakeLists.txt" >&2; exit 1; }
name=novawing-$version
git -c tar.umask=022 archive --format=tar --prefix="$name/" "$commit" | gzip -9n >"$out/$name.tar.gz.part"
mv -f "$out/$name.tar.gz.part" "$out/$name.tar.gz"
echo "$out/$name.tar.gz"
