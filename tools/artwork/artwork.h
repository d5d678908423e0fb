// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// Every image of the game, drawn in memory, with the file name it goes by.
#pragma once

#include "image.h"

#include <string>
#include <vector>

struct Artwork {
    std::string file; // e.g. "forward.bmp"
    Image image;
};

std::vector<Artwork> DrawAllArtwork();
