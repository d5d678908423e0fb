// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// novawing-artwork DIRECTORY: draws every image of the game and writes them
// there as BMP files.
#include "artwork.h"
#include "bmp.h"
#include "support/floating_point.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    SetUpFloatingPoint();
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIRECTORY\n", argv[0]);
        return 2;
    }
    const std::string directory = argv[1];
    for (const Artwork& art : DrawAllArtwork()) {
        const std::string path = directory + "/" + art.file;
        if (!WriteBmp(path, art.image)) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], path.c_str());
            return 1;
        }
    }
    return 0;
}
