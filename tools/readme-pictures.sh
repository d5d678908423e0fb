#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Nova Wing authors
# SPDX-License-Identifier: GPL-2.0-or-later
# Makes the documents' two pictures from the game's own generated images:
#   docs/play.png      frames of play, rendered headless by render_frames
#   docs/artwork.png   the contact sheet of every image (tools/contact-sheet.sh)
# Both are kept small: 256-colour PNG files, the play picture at half size.
#
#   tools/readme-pictures.sh [BUILD_DIR]     default build/
# Needs imagemagick (installed by scripts/install-deps.sh --test).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target render_frames artwork >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$build/game" && SDL_VIDEODRIVER=dummy ./render_frames "$work" >/dev/null)

# Four moments side by side: early play, missiles in flight, two players, the
# game-over notice.
mkdir -p docs
montage "$work"/frame{030,150,390,262}.bmp -tile 2x2 -geometry 320x240+2+2 \
  -background '#101018' "$work/play.png"
convert "$work/play.png" -strip PNG8:docs/play.png
tools/contact-sheet.sh "$build/game" "$work/artwork.png" >/dev/null
convert "$work/artwork.png" -strip PNG8:docs/artwork.png
ls -l docs/play.png docs/artwork.png
