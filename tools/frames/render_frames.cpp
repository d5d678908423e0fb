// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// Renders frames of scripted play without a window and saves some of them as
// BMP files, so that people can look at what the game draws.  It runs the
// real start-up (config.cfg, the images in data/, the entry values) and the
// real frame, RunFrame, with SDL's dummy video driver; a frame is saved at
// the moment its page flip is announced on the console, when the screen holds
// the finished picture and has not been cleared yet.
//
// Usage, from the game directory: render_frames OUTPUT_DIR
// (or with NOVAWING_FRAMES_DIR set in the environment instead).
#include "control/frame_loop.h"
#include "control/game.h"
#include "control/startup.h"
#include "support/floating_point.h"

#include <SDL.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

namespace {

// What the players do: at frame `at`, key `key` goes down (or up).
struct KeyStep {
    int at;
    SDLKey key;
    bool down;
};

constexpr std::array<KeyStep, 18> kScript{{
    {1, SDLK_SPACE, true}, // player 1 fires all the way through
    {20, SDLK_LEFT, true},
    {45, SDLK_LEFT, false},
    {60, SDLK_UP, true},
    {75, SDLK_UP, false},
    {90, SDLK_RIGHT, true},
    {130, SDLK_RIGHT, false},
    {140, SDLK_RALT, true}, // a burst of missiles
    {170, SDLK_RALT, false},
    {330, SDLK_2, true}, // player 2 joins after player 1 is out
    {332, SDLK_2, false},
    {335, SDLK_f, true},
    {340, SDLK_a, true},
    {380, SDLK_a, false},
    {381, SDLK_g, true},
    {400, SDLK_g, false},
    {420, SDLK_w, true},
    {440, SDLK_w, false},
}};

// Frames worth a look: early play, missiles in flight, the explosion of the
// last ship, the game-over screen in both blink phases, the join, and two
// players with player 1 out.
constexpr std::array<int, 12> kSaved{{2, 30, 100, 150, 175, 230, 262, 300, 320, 345, 390, 430}};
constexpr int kFrames = 450;
constexpr int kLastShipLost = 219; // the frame whose update finds player 1 without ships

void PushKey(SDLKey key, bool down) {
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.type = event.type;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
}

bool IsSaved(int frame) {
    for (int saved : kSaved)
        if (saved == frame) return true;
    return false;
}

} // namespace

int main(int argc, char** argv) {
    SetUpFloatingPoint();
    const char* dir = argc > 1 ? argv[1] : std::getenv("NOVAWING_FRAMES_DIR");
    if (dir == nullptr) {
        std::fprintf(stderr, "usage: render_frames OUTPUT_DIR (run it in the game directory)\n");
        return 2;
    }
    setenv("SDL_VIDEODRIVER", "dummy", 1);

    auto game = std::make_unique<Game>();
    int frame = 0;
    int saved = 0;
    bool failed = false;
    std::string line;
    // Keep the trace out of the way, and use its "PageFlip" line to grab the
    // finished frame.
    SetOutputRoutine(game->console, [&](std::string_view text, int flags) {
        line += text;
        if (!(flags & kPrintLineEnd)) return;
        if (line.rfind("PageFlip", 0) == 0 && IsSaved(frame)) {
            char path[512];
            std::snprintf(path, sizeof path, "%s/frame%03d.bmp", dir, frame);
            if (SDL_SaveBMP(game->images.screen, path) == 0) {
                ++saved;
            } else {
                std::fprintf(stderr, "render_frames: cannot write %s: %s\n", path, SDL_GetError());
                failed = true;
            }
        }
        line.clear();
    });

    StartUp(*game);
    SeedRandom(game->random, 7); // the same play every run
    BeginFrameLoop(*game);
    for (frame = 1; frame <= kFrames; ++frame) {
        for (const KeyStep& step : kScript)
            if (step.at == frame) PushKey(step.key, step.down);
        if (frame == kLastShipLost) {
            // Cut the story short: player 1's last ship has just been
            // destroyed, and this frame's update finds it out of ships.
            Player& one = game->world.players[1];
            one.lives = 0;
            one.health = 0;
            game->world.control[1].Dead = 1;
            game->world.control[1].RespawnDelay = 0;
        }
        RunFrame(*game);
    }
    SDL_Quit();
    std::printf("render_frames: %d frames run, %d saved in %s\n", kFrames, saved, dir);
    return failed ? 1 : 0;
}
