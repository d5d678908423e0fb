// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// Shared by the tests: SDL on its dummy video driver with a real screen
// surface, and image tables filled with plain surfaces of chosen sizes, so a
// test can put every object exactly where it wants it.
#pragma once

#include "video/images.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

// Opens a real (dummy-driver) screen for the life of a test.
class SdlScreen {
  public:
    explicit SdlScreen(int w = 640, int h = 480, int bpp = 32) {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        SDL_Init(SDL_INIT_VIDEO);
        screen = SDL_SetVideoMode(w, h, bpp, 0);
        // A new screen holds whatever its SDL left there: classic SDL zeroes
        // it, sdl12-compat need not.  The tests read pixels back, so every
        // one starts from black.
        if (screen) SDL_FillRect(screen, nullptr, 0);
    }
    ~SdlScreen() {
        for (SDL_Surface* s : owned)
            SDL_FreeSurface(s);
        SDL_Quit();
    }
    SdlScreen(const SdlScreen&) = delete;
    SdlScreen& operator=(const SdlScreen&) = delete;

    // A 32-bit surface of the given size filled with one colour.
    SDL_Surface* Solid(int w, int h, Uint8 r = 200, Uint8 g = 200, Uint8 b = 200) {
        SDL_Surface* s =
            SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0x00ff0000, 0x0000ff00, 0x000000ff, 0);
        SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, r, g, b));
        owned.push_back(s);
        return s;
    }

    // Every slot of the image tables filled with a solid surface: ships 40x50,
    // enemies 30x20 / 41x30 / 24x24, shots 4x20, explosions 32x32, flames
    // 6x10, stars 2x2, digits 40x50, the notices small and the screens full size.
    Images FakeImages() {
        Images im;
        im.screen = screen;
        for (int i = 1; i <= 5; ++i)
            im.ShipImage[i] = Solid(40, 50);
        im.EnemyImage[1] = Solid(30, 20);
        im.EnemyImage[2] = Solid(41, 30);
        im.EnemyImage[3] = Solid(24, 24);
        im.EnemyImage[4] = Solid(41, 30);
        im.EnemyImage[5] = Solid(30, 20);
        im.EnemyImage[6] = Solid(41, 30);
        for (int i = 1; i <= 20; ++i)
            im.StarImage[i] = Solid(2, 2);
        for (int i = 1; i <= 8; ++i)
            im.BulletImage[i] = Solid(4, 20);
        for (int i = 1; i <= 2; ++i)
            im.ExplosionImage[i] = Solid(32, 32);
        for (int i = 0; i <= 1; ++i)
            im.FlameImage[i] = Solid(6, 10);
        for (int i = 0; i <= 1; ++i)
            im.EnemyFlameImage[i] = Solid(6, 10);
        for (int i = 0; i <= 9; ++i)
            im.DigitImage[i] = Solid(40, 50);
        im.TitleImage = Solid(screen->w, screen->h);
        im.HelpScreenImage = Solid(screen->w, screen->h);
        im.GameOverImage = Solid(screen->w, screen->h);
        im.LifeTokenImage = Solid(12, 12);
        im.NoLivesImage = Solid(120, 30);
        im.JoinImage = Solid(150, 30);
        return im;
    }

    SDL_Surface* screen = nullptr;
    std::vector<SDL_Surface*> owned;
};

// Reads one pixel of a 32-bit surface as (r, g, b).
inline void PixelAt(SDL_Surface* s, int x, int y, Uint8& r, Uint8& g, Uint8& b) {
    SDL_LockSurface(s);
    Uint8* p = static_cast<Uint8*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel;
    Uint32 value = 0;
    switch (s->format->BytesPerPixel) {
    case 4:
        value = *reinterpret_cast<Uint32*>(p);
        break;
    case 2:
        value = *reinterpret_cast<Uint16*>(p);
        break;
    case 1:
        value = *p;
        break;
    default:
        value = p[0] | (p[1] << 8) | (p[2] << 16);
        break;
    }
    SDL_UnlockSurface(s);
    SDL_GetRGB(value, s->format, &r, &g, &b);
}

inline Uint32 RawPixelAt(SDL_Surface* s, int x, int y) {
    SDL_LockSurface(s);
    Uint8* p = static_cast<Uint8*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel;
    Uint32 value = 0; // every byte of the pixel, as this little-endian machine stores it
    for (int i = 0; i < s->format->BytesPerPixel; ++i)
        value |= static_cast<Uint32>(p[i]) << (8 * i);
    SDL_UnlockSurface(s);
    return value;
}

// Classic SDL 1.2.15, the last of its line; sdl12-compat, SDL 1.2's API over
// SDL2, calls itself 1.2.50 and later.
inline bool LinkedSdlIsClassic() {
    const SDL_version* v = SDL_Linked_Version();
    return SDL_VERSIONNUM(v->major, v->minor, v->patch) <= SDL_VERSIONNUM(1, 2, 15);
}

// How far another SDL's own translucent blit may land from classic SDL's
// arithmetic, in steps of 255 in one colour channel.  SDL documents no
// rounding for its blend, so this is what was measured on every system the
// game runs on, blitting a 24-bit image onto a 32-bit screen at every
// opacity from 1 to 254 over every pair of channel values: classic SDL
// 1.2.15 (Debian 12) 0; sdl12-compat 1.2.60 over SDL2 2.26 (Debian 12's
// libsdl1.2-compat) and 1.2.68 over SDL2 2.32 (Debian 13) at most 1;
// sdl12-compat 1.2.78 over sdl2-compat 2.32 and SDL 3.4 (Debian forky) at
// most 2, reached at opacities from 6 to 254.
constexpr int kOtherSdlBlendSteps = 2;

// Whether two 32-bit surfaces of one size hold what the game's BlitAt and
// SDL's own blit may each draw: every bit alike on classic SDL, whose
// arithmetic BlitAt follows; on any other SDL every colour channel within
// kOtherSdlBlendSteps (a key drawn where it should be skipped, or a pixel
// drawn outside the clip, is far more than that on the tests' busy grounds).
inline bool SameAsSdlDraws(SDL_Surface* ours, SDL_Surface* sdls) {
    const bool classic = LinkedSdlIsClassic();
    for (int y = 0; y < ours->h; ++y) {
        const auto* a =
            reinterpret_cast<const Uint32*>(static_cast<Uint8*>(ours->pixels) + y * ours->pitch);
        const auto* b =
            reinterpret_cast<const Uint32*>(static_cast<Uint8*>(sdls->pixels) + y * sdls->pitch);
        for (int x = 0; x < ours->w; ++x) {
            if (classic) {
                if (a[x] != b[x]) return false;
                continue;
            }
            for (int shift = 0; shift < 24; shift += 8) {
                const int step = static_cast<int>((a[x] >> shift) & 0xff) -
                                 static_cast<int>((b[x] >> shift) & 0xff);
                if (step < -kOtherSdlBlendSteps || step > kOtherSdlBlendSteps) return false;
            }
        }
    }
    return true;
}
