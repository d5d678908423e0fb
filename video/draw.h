// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The drawing primitives every frame is built from.
#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>

struct Console;
struct Images;

// Sets the video mode and gives `images` the screen to draw on: SDL's own,
// or at depths 15 and 16 a surface of the game's own laid out as classic SDL
// lays out those screens, which PageFlip shows on a 32-bit SDL screen the
// way classic SDL shows a 15- or 16-bit shadow on a display of another
// depth (SDL 1.2 gives no 15-bit screen on every system, and sdl12-compat
// shows a 16-bit one in other colours).  False, with SDL's error, when no
// mode can be set.
bool OpenScreen(Images& images, int width, int height, int bitsPerPixel, std::uint32_t flags);

// Blits the whole image with its top-left corner at (x, y); SDL clips at the
// screen edges.  Coordinates are narrowed to SDL's 16-bit rectangle fields.
void BlitAt(SDL_Surface* screen, std::int32_t x, std::int32_t y, SDL_Surface* image);

// Shows the finished frame, pumps SDL's events and clears the screen to raw
// pixel 0 for the next one.  A screen of the game's own (OpenScreen) is
// copied to SDL's screen first.
void PageFlip(SDL_Surface* screen);

// Draws a score as a row of digit images 57 pixels apart, tracing each digit.
void DrawNumber(SDL_Surface* screen, const std::array<SDL_Surface*, 10>& digits, Console& console,
                std::int32_t value, std::int32_t x, std::int32_t y);
