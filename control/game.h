// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// Everything one run of the game owns.  main holds a single Game; routines
// take the parts they work on by reference, so a test can build a fresh one.
#pragma once

#include "control/clock.h"
#include "support/console.h"
#include "support/file_input.h"
#include "support/random.h"
#include "video/images.h"
#include "video/keyboard.h"
#include "video/render.h"
#include "world/world.h"

#include <cstdint>

// The four settings read from config.cfg; all 0 until it sets them.
struct VideoSettings {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t bitsPerPixel = 0;
    std::int32_t flags = 0; // SDL_SetVideoMode flags, as a bit set
};

struct MenuState {
    std::int32_t MenuSelection = 0; // 1 Start, 2 players, 3 Help, 4 Quit
    std::int32_t CursorPhase = 0;   // 1..3; 0 before the first pass
    std::int32_t GameStarted = 0;
};

struct LoopState {
    std::int32_t FramesPerSecond = 0;
    std::int32_t FramePeriod = 0; // whole milliseconds
    // The tick at or after which the next frame may run.  Ticks are SDL's
    // 32-bit milliseconds, which wrap after 49.7 days; the deadline wraps
    // with them, and the loop only ever compares it through differences.
    std::uint32_t OldTimer = 0;
    std::int32_t QuitFlag = 0; // complemented by Escape; the loop stops at -1
};

struct Game {
    Console console;
    FileTable files;
    Random random;
    Keyboard keyboard;
    Images images;
    World world;
    RenderState render;
    MenuState menu;
    LoopState loop;
    VideoSettings video;
    SdlClock sdlClock;
    Clock* clock = &sdlClock;
};
