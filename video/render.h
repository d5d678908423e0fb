// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// Builds one complete frame of play on the screen surface.
#pragma once

#include "video/starfield.h"

#include <array>
#include <cstdint>

struct Console;
struct Images;
struct Random;
struct World;

// Animation state that belongs to drawing and lives for the whole run.
struct RenderState {
    std::array<Star, kStarCount> stars{};
    std::int32_t Blink = 0;        // 0 or 1; flips about once a second
    std::int32_t BlinkCounter = 0; // frames counted towards the next flip
    std::int32_t FlameFrame = 0;   // 0 or 1; flips every frame
};

// Draws the starfield, ships, enemies, bullets and the status display, in
// that order.  It reads the world, and changes it only through
// AnimateBullets, run right after the bullets are drawn.
void DrawEverything(RenderState& render, World& world, const Images& images, Random& random,
                    Console& console, std::int32_t framesPerSecond);
