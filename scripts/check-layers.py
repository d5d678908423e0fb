#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Nova Wing authors
# SPDX-License-Identifier: GPL-2.0-or-later

"""Keeps the layering of the game's code: every #include of a project file
must point at the same layer or one below.  From the bottom:

  0 support    support/
  1 platform   video/images, video/draw, video/keyboard, video/desktop (SDL lives here)
  2 world      world/      - no SDL header, and from video/ only the keyboard
  3 render     video/render, video/starfield
  4 control    control/
  5 programs   tools/, bench/, fuzz/, tests/ (may include anything)

Usage: check-layers.py SOURCE_DIR.  Prints each include that breaks the
order and exits 1 if there is any.
"""

import pathlib
import re
import sys

LAYERS = ["support", "platform", "world", "render", "control", "programs"]

# Files of video/ by layer; a new file there must be placed in one of them.
VIDEO = {
    "images": "platform",
    "draw": "platform",
    "keyboard": "platform",
    "desktop": "platform",
    "render": "render",
    "starfield": "render",
}

# The only header the world may take from video/: the keyboard query, which
# drains SDL's event queue on every call.
WORLD_MAY_INCLUDE = {"video/keyboard.h"}

PROGRAM_FOLDERS = {"tools", "bench", "fuzz", "tests"}

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def layer_of(path):
    """The layer of a repository path like 'video/render.h', or None for a
    path outside the game's folders."""
    parts = pathlib.PurePosixPath(path).parts
    if not parts:
        return None
    folder = parts[0]
    if folder in ("support", "world", "control"):
        return folder
    if folder == "video" and len(parts) == 2:
        return VIDEO.get(pathlib.PurePosixPath(parts[1]).stem, "unknown")
    if folder in PROGRAM_FOLDERS:
        return "programs"
    return None


def problems_in(root, path):
    rel = path.relative_to(root).as_posix()
    own = layer_of(rel)
    if own is None:
        return []
    if own == "unknown":
        return [f"{rel}: a file of video/ that no layer holds; place it in check-layers.py"]
    if own == "programs":
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
        if theirs == "unknown" or LAYERS.index(theirs) > LAYERS.index(own):
            found.append(f"{where}  ({own} may not include {theirs})")
        elif own == "world" and theirs == "platform" and target not in WORLD_MAY_INCLUDE:
            found.append(f"{where}  (the world takes only the keyboard from video/)")
    return found


def main():
    if len(sys.argv) != 2:
        print("usage: check-layers.py SOURCE_DIR", file=sys.stderr)
        return 2
    root = pathlib.Path(sys.argv[1]).resolve()
    found = []
    for folder in ("support", "video", "world", "control"):
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
