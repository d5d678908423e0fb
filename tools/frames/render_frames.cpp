// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// Renders frames of scripted play without a window and saves some of them as
// BMP files, so that people can look at what the game draws, and compare
// what two SDLs or two screen depths draw: every file is a 24-bit picture of
// the colours the screen holds (tools/frames/scripted_play.h says how they
// are read), so two runs that drew the same picture write the same bytes.
//
// Usage, from the game directory: render_frames OUTPUT_DIR [DEPTH]
// (or with NOVAWING_FRAMES_DIR set in the environment instead).  Without a
// depth the screen is the one config.cfg asks for; with one (8, 15, 16, 24,
// 32) it is 640 x 480 at that depth.
#include "support/floating_point.h"
#include "tools/frames/scripted_play.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

namespace {

// Writes the picture's colours as a 24-bit BMP.
bool SavePicture(SDL_Surface* screen, const char* path) {
    std::vector<std::uint8_t> rgb = frames::PictureColours(screen);
    SDL_Surface* picture = SDL_CreateRGBSurface(SDL_SWSURFACE, screen->w, screen->h, 24, 0xff0000,
                                                0x00ff00, 0x0000ff, 0);
    if (picture == nullptr) return false;
    for (int y = 0; y < screen->h; ++y) {
        auto* row = static_cast<Uint8*>(picture->pixels) + y * picture->pitch;
        for (int x = 0; x < screen->w; ++x) {
            const std::uint8_t* c = &rgb[(static_cast<std::size_t>(y) * screen->w + x) * 3];
            row[x * 3] = c[2]; // stored blue, green, red
            row[x * 3 + 1] = c[1];
            row[x * 3 + 2] = c[0];
        }
    }
    const bool saved = SDL_SaveBMP(picture, path) == 0;
    SDL_FreeSurface(picture);
    return saved;
}

} // namespace

int main(int argc, char** argv) {
    SetUpFloatingPoint();
    const char* dir = argc > 1 ? argv[1] : std::getenv("NOVAWING_FRAMES_DIR");
    const int depth = argc > 2 ? std::atoi(argv[2]) : 0;
    if (dir == nullptr || argc > 3 ||
        (argc > 2 && depth != 8 && depth != 15 && depth != 16 && depth != 24 && depth != 32)) {
        std::fprintf(stderr, "usage: render_frames OUTPUT_DIR [8|15|16|24|32] (run it in the game "
                             "directory)\n");
        return 2;
    }
    const std::string out = std::filesystem::absolute(dir).string();
    std::optional<frames::DepthGameDir> scratch;
    if (depth != 0) {
        scratch.emplace(depth);
        if (!scratch->Ready()) {
            std::fprintf(stderr, "render_frames: cannot make a scratch game directory\n");
            return 1;
        }
    }

    auto game = std::make_unique<Game>();
    int saved = 0;
    bool failed = false;
    frames::PlayScript(*game, [&](int frame, SDL_Surface* screen) {
        char path[512];
        std::snprintf(path, sizeof path, "%s/frame%03d.bmp", out.c_str(), frame);
        if (SavePicture(screen, path)) {
            ++saved;
        } else {
            std::fprintf(stderr, "render_frames: cannot write %s: %s\n", path, SDL_GetError());
            failed = true;
        }
    });
    std::printf("render_frames: %d frames run, %d pictures saved in %s\n", frames::kFrames, saved,
                out.c_str());
    return failed ? 1 : 0;
}
