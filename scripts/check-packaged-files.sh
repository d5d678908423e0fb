#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Nova Wing authors
# SPDX-License-Identifier: GPL-2.0-or-later
# The desktop entry, the metainfo and the manual page as a built package holds
# them: desktop-file-validate, appstreamcli validate --no-net, and man -l with
# no warning.  scripts/debian-tools-check.sh runs it on each release's
# package.
#
#   scripts/check-packaged-files.sh DEB REPORT_DIR
# Each validator's output is kept in REPORT_DIR; exit status 0 when all pass.
set -uo pipefail
deb=$1 reports=$2
failed=0
fail() {
  echo "packaged-files: FAILED: $*"
  failed=1
}
ok() { echo "packaged-files: ok: $*"; }

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree" || { fail "dpkg-deb cannot unpack $deb"; exit 1; }
if desktop-file-validate "$tree/usr/share/applications/novawing.desktop" \
  >"$reports/desktop-file-validate.txt" 2>&1; then
  ok "desktop-file-validate: $(cat "$reports/desktop-file-validate.txt")"
else
  fail "desktop-file-validate: $(cat "$reports/desktop-file-validate.txt")"
fi
if appstreamcli validate --no-net "$tree/usr/share/metainfo/org.example.novawing.metainfo.xml" \
  >"$reports/appstreamcli.txt" 2>&1; then
  ok "appstreamcli validate --no-net: $(tr '\n' ' ' <"$reports/appstreamcli.txt")"
else
  fail "appstreamcli validate --no-net: $(cat "$reports/appstreamcli.txt")"
fi
man_warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l \
  "$tree/usr/share/man/man6/novawing.6.gz" 2>&1 >"$reports/man.txt")
if [[ -n $man_warnings || ! -s $reports/man.txt ]]; then
  fail "man -l novawing.6.gz: ${man_warnings:-nothing rendered}"
else
  ok "man -l renders novawing(6), $(wc -l <"$reports/man.txt") lines, no warning"
fi
exit "$failed"
