#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Nova Wing authors
# SPDX-License-Identifier: GPL-2.0-or-later

"""Keeps the layering of the game's code: every #include of a project file
must point at the same folder or one below.  From the bottom:

  0 support    support/    - no SDL header
  1 world      world/      - no SDL header; keys through its own seam
  2 video      video/      (SDL lives here)
  3 control    control/
  4 programs   tools/, bench/, fuzz/, tests/ (may include anything)

Usage: check-layers.py SOURCE_DIR.  Prints each include that breaks the
order and exits 1 if there is any.
"""

import pathlib
import re
import sys

LAYERS = ["support", "world", "video", "control", "programs"]

PROGRAM_FOLDERS = {"tools", "bench", "fuzz", "tests"}

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def layer_of(path):
    """The layer of a repository path like 'video/render.h', or None for a
    path outside the game's folders."""
    parts = pathlib.PurePosixPath(path).parts
    if not parts:
        return None
    folder = parts[0]
    if folder in LAYERS:
        return folder
    if folder in PROGRAM_FOLDERS:
        return "programs"
    return None


def problems_in(root, path):
    rel = path.relative_to(root).as_posix()
    own = layer_of(rel)
    if own is None or own == "programs":
        return []
    found = []
    for number, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
        match = INCLUDE.match(line)
        if not match:
            continue
        bracket, target = match.groups()
        where = f"{rel}:{number}: {line.strip()}"
        if own in ("support", "world") and pathlib.PurePosixPath(target).name.startswith("SDL"):
            found.append(f"{where}  ({own} uses no SDL header)")
            continue
        if bracket != '"':
            continue
        if "/" not in target:
            target = f"{pathlib.PurePosixPath(rel).parent}/{target}"  # beside the file
        theirs = layer_of(target)
        if theirs is None:
            continue
        if LAYERS.index(theirs) > LAYERS.index(own):
            found.append(f"{where}  ({own} may not include {theirs})")
    return found


def main():
    if len(sys.argv) != 2:
        print("usage: check-layers.py SOURCE_DIR", file=sys.stderr)
        return 2
    root = pathlib.Path(sys.argv[1]).resolve()
    found = []
    for folder in LAYERS[:-1]:
        for path in sorted((root / folder).glob("*")):
            if path.suffix in (".h", ".cpp"):
                found += problems_in(root, path)
    for line in found:
        print(line)
    if found:
        print(f"{len(found)} include(s) against the layering", file=sys.stderr)
        return 1
    print("layering kept")
    return 0


if __name__ == "__main__":
    sys.exit(main())
