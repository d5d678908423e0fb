// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The full-screen pictures (title, help, game over), the notices, and the
// score digits.
#pragma once

#include "font.h"
#include "image.h"
#include "render.h"

#include <array>
#include <string_view>

// Lettering with a lit, rounded face and a dark rim, `cell` pixels per font
// pixel; `origin` is the top-left of the first character's 5x7 box, in the
// picture's own pixels.
struct Lettering {
    float cell = 4;
    float radius = 2;     // half the stroke width
    float advance = 6.4f; // font pixels from one character to the next
    float rim = 1.2f;     // width of the dark rim round the strokes
    Material face;
    Material rimMaterial;
};

Coverage LetteringArt(int w, int h, std::string_view text, Vec2 origin, const Lettering& style);

// Where ink of the lettering starts and ends, relative to its origin.
float LetteringLeft(std::string_view text, const Lettering& style);
float LetteringWidth(std::string_view text, const Lettering& style);
float LetteringHeight(const Lettering& style);

// The sprites the help screen shows, as the game draws them.
struct HelpSprites {
    const Image* ship;
    const Image* tokenShip;
    const Image* missile;
    std::array<const Image*, 3> enemies;
    std::array<const Image*, 10> digits;
};

Image Backdrop(int w, int h, unsigned seed);
Image TitleScreen(const Image& cursor);
Image HelpScreen(const HelpSprites& sprites);
Image GameOverScreen();
Image Notice(std::string_view text, Color top, Color bottom, Color border);
Image Digit(int d);
Image LifeToken();
