// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// Every image of the game, loaded once from data/ at start-up and kept for the
// whole run, and the screen surface they are drawn onto.  Tables are indexed
// exactly as the game uses them; unused low slots stay empty.
#pragma once

#include <SDL.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

struct Console;

struct Images {
    SDL_Surface* screen = nullptr; // from OpenScreen; the one drawing target
    // The game's own 15- or 16-bit screen (OpenScreen): the same surface as
    // `screen` then, and empty otherwise.
    SDL_Surface* ownScreen = nullptr;

    std::array<SDL_Surface*, 6> ShipImage{};       // 1..5: hard left .. level (3) .. hard right
    std::array<SDL_Surface*, 7> EnemyImage{};      // 1..6, by enemy type (1..3 are used)
    std::array<SDL_Surface*, 21> StarImage{};      // 1..20
    std::array<SDL_Surface*, 16> BulletImage{};    // 1..8 filled, 9..15 stay empty
    std::array<SDL_Surface*, 3> ExplosionImage{};  // 1..2 (only 1 is drawn)
    std::array<SDL_Surface*, 2> FlameImage{};      // 0..1
    std::array<SDL_Surface*, 2> EnemyFlameImage{}; // 0..1
    std::array<SDL_Surface*, 10> DigitImage{};     // 0..9

    SDL_Surface* TitleImage = nullptr;
    SDL_Surface* GameOverImage = nullptr;
    SDL_Surface* LifeTokenImage = nullptr;
    SDL_Surface* HelpScreenImage = nullptr;
    SDL_Surface* NoLivesImage = nullptr;
    SDL_Surface* JoinImage = nullptr;
};

// Why LoadGraphics stopped: the file it could not use and SDL's reason.
struct LoadFailure {
    std::string file;
    std::string reason;
};

// Loads one BMP file as it is (no conversion to the display format); null if
// the file can't be opened or isn't a valid BMP.
SDL_Surface* LoadBMP(const char* path);

// Fills every slot from data/ in the working directory, printing its trace
// lines.  Returns false at the first file that does not load, with `failure`
// saying which and why.
bool LoadGraphics(Images& images, Console& console, LoadFailure& failure);

// Names the window "Nova Wing" and gives it the game's icon, data/icon.bmp
// keyed on magenta.  SDL makes the window when the video mode is set, so this
// comes before that.  The icon is decoration: one that does not load leaves
// the window without it and the game goes on.
void SetWindowTitleAndIcon();

// Gives every loaded image back and empties its slot, and the game's own
// screen if it has one (SDL's screen is SDL_Quit's to take down).  The game keeps its images until
// the process ends and never calls this; tests and harnesses that load them again and again in one
// process do.
void FreeGraphics(Images& images);

// The image in a table slot, or none when the index lies outside the table.
// Indices come from game records; an unexpected one must not read past the
// table, and an empty slot (BulletImage 9..15) holds nothing.
template <std::size_t N>
SDL_Surface* ImageAt(const std::array<SDL_Surface*, N>& table, std::int32_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= N) return nullptr;
    return table[index];
}

// Sizes are read from the surface at each use; no image counts as 0 by 0, so
// a stray index can only miss, never crash a frame.
inline int ImageWidth(const SDL_Surface* image) {
    return image != nullptr ? image->w : 0;
}
inline int ImageHeight(const SDL_Surface* image) {
    return image != nullptr ? image->h : 0;
}

inline int ScreenWidth(const Images& images) {
    return images.screen->w;
}
inline int ScreenHeight(const Images& images) {
    return images.screen->h;
}
