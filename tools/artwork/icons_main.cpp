// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// novawing-icons DIRECTORY: draws the desktop icons of the game as PNG files,
// DIRECTORY/SIZExSIZE/apps/novawing.png for every size of the hicolor theme
// the game ships.
#include "icon.h"
#include "png_file.h"
#include "support/floating_point.h"

#include <cstdio>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    SetUpFloatingPoint();
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIRECTORY\n", argv[0]);
        return 2;
    }
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const std::string name = std::to_string(size) + "x" + std::to_string(size);
        const std::filesystem::path dir = std::filesystem::path(argv[1]) / name / "apps";
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        const std::string path = (dir / "novawing.png").string();
        std::string error;
        if (ec || !WritePng(path, GameIcon(size), error)) {
            std::fprintf(stderr, "%s: cannot write %s: %s\n", argv[0], path.c_str(),
                         ec ? ec.message().c_str() : error.c_str());
            return 1;
        }
    }
    return 0;
}
