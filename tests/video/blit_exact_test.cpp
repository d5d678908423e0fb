// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// BlitAt draws the game's colour-keyed 24-bit images with its own loop rather
// than SDL's slow generic one, and promises classic SDL 1.2.15's arithmetic,
// every bit of every pixel.  These tests hold it to that arithmetic, written
// out here, and put SDL's own blit beside it: bit for bit where the linked SDL
// is classic, and on any other SDL (sdl12-compat blends with SDL2's rounding)
// the same pixels drawn and each channel within one step.
#include "test_support.h"
#include "video/draw.h"

#include <algorithm>
#include <cstring>
#include <random>

namespace {

SDL_Surface* Bgr24(int w, int h) {
    return SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 24, 0xff0000, 0x00ff00, 0x0000ff, 0);
}
SDL_Surface* Xrgb32(int w, int h) {
    return SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0xff0000, 0x00ff00, 0x0000ff, 0);
}

void PutBgr(SDL_Surface* s, int x, int y, Uint32 rgb) {
    Uint8* p = static_cast<Uint8*>(s->pixels) + y * s->pitch + x * 3;
    p[0] = rgb & 0xff;
    p[1] = (rgb >> 8) & 0xff;
    p[2] = (rgb >> 16) & 0xff;
}

// The whole pixel memory, unused top bytes included.
bool SameBits(SDL_Surface* a, SDL_Surface* b) {
    for (int y = 0; y < a->h; ++y)
        if (std::memcmp(static_cast<Uint8*>(a->pixels) + y * a->pitch,
                        static_cast<Uint8*>(b->pixels) + y * b->pitch, a->w * 4) != 0)
            return false;
    return true;
}

void Copy(SDL_Surface* from, SDL_Surface* to) {
    std::memcpy(to->pixels, from->pixels, static_cast<std::size_t>(from->pitch) * from->h);
}

void SdlBlit(SDL_Surface* image, int x, int y, SDL_Surface* screen) {
    SDL_Rect source{0, 0, static_cast<Uint16>(image->w), static_cast<Uint16>(image->h)};
    SDL_Rect destination{static_cast<Sint16>(x), static_cast<Sint16>(y), 0, 0};
    SDL_UpperBlit(image, &source, screen, &destination);
}

Uint32& Pixel(SDL_Surface* s, int x, int y) {
    return reinterpret_cast<Uint32*>(static_cast<Uint8*>(s->pixels) + y * s->pitch)[x];
}

bool IsKeyPixel(int x, int y) {
    return (x * 7 + y) % 97 == 0;
}

// Classic SDL 1.2.15 blends each channel as d + ((s - d) * alpha + 255) / 256,
// rounded down, in unsigned 32-bit arithmetic: a darker source wraps round,
// which leaves the low eight bits right and sets bit 24.  The three channels
// are shifted into place and ORed, so the red and green carries fall off the
// top of the word and the blue one lands in the unused top byte, which the
// blend otherwise clears.
Uint32 ClassicBlend(Uint32 under, Uint32 over, int alpha) {
    Uint32 result = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int s = static_cast<int>((over >> shift) & 0xff);
        const int d = static_cast<int>((under >> shift) & 0xff);
        const int sum = (s - d) * alpha + 255;
        const int rounded = sum >= 0 ? sum / 256 : -((-sum + 255) / 256);
        result |= static_cast<Uint32>(d + rounded) << shift;
        if (shift == 0 && sum < 0) result |= 1u << 24;
    }
    return result;
}

// Keys and opacities as the game's images carry them, and the extremes.
enum class Look { Keyed, Opaque255, Alpha };

void SetLook(SDL_Surface* image, Look look, Uint8 alpha) {
    SDL_SetColorKey(image, SDL_SRCCOLORKEY, SDL_MapRGB(image->format, 255, 0, 255));
    if (look == Look::Keyed) SDL_SetAlpha(image, 0, 255);
    if (look == Look::Opaque255) SDL_SetAlpha(image, SDL_SRCALPHA, 255);
    if (look == Look::Alpha) SDL_SetAlpha(image, SDL_SRCALPHA, alpha);
}

} // namespace

TEST(BlitAtExactness, EveryChannelPairAndOpacityFollowsClassicArithmetic) {
    SdlScreen sdl;
    // Source column c holds grey level c, destination row r grey level r with
    // a junk top byte, so one blit meets every (source, destination) pair of
    // channel values; a few key pixels must stay undrawn.
    SDL_Surface* image = Bgr24(256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            PutBgr(image, x, y, IsKeyPixel(x, y) ? 0xff00ff : x * 0x010101u);
    SDL_Surface* start = Xrgb32(256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            Pixel(start, x, y) = (static_cast<Uint32>(x ^ y) << 24) | y * 0x010101u;
    SDL_Surface* ours = Xrgb32(256, 256);
    SDL_Surface* theirs = Xrgb32(256, 256);

    // Every opacity (256 stands for a plain key without alpha).  Opacity 0
    // draws nothing at all, and 255 is opaque, as SDL 1.2 has it.
    int wrong = 0, unlikeSdl = 0;
    for (int alpha = 0; alpha <= 256; ++alpha) {
        SetLook(image, alpha <= 255 ? Look::Alpha : Look::Keyed,
                static_cast<Uint8>(std::min(alpha, 255)));
        Copy(start, ours);
        Copy(start, theirs);
        BlitAt(ours, 0, 0, image);
        SdlBlit(image, 0, 0, theirs);
        int bad = 0;
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x) {
                const Uint32 under = Pixel(start, x, y), over = x * 0x010101u;
                const Uint32 expected = IsKeyPixel(x, y) || alpha == 0 ? under
                                        : alpha >= 255                 ? over
                                                       : ClassicBlend(under, over, alpha);
                bad += Pixel(ours, x, y) != expected;
            }
        if (bad) ADD_FAILURE() << bad << " pixels differ from classic SDL's at opacity " << alpha;
        wrong += bad != 0;
        unlikeSdl += !SameAsSdlDraws(ours, theirs);
        if (wrong > 3) break;
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(unlikeSdl, 0) << "opacities where this SDL's own blit draws otherwise";

    for (SDL_Surface* s : {image, start, ours, theirs})
        SDL_FreeSurface(s);
}

TEST(BlitAtExactness, ClippedAndOverlappingBlitsAgreeWithSdl) {
    SdlScreen sdl;
    std::mt19937 random(7);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    SDL_Surface* ours = Xrgb32(640, 480);
    SDL_Surface* theirs = Xrgb32(640, 480);
    for (int i = 0; i < 640 * 480; ++i)
        static_cast<Uint32*>(ours->pixels)[i] = static_cast<Uint32>(random());

    constexpr Uint8 kOpacities[] = {128, 166, 200, 222, 1};
    for (int round = 0; round < 600; ++round) {
        // Each round starts both from the same picture, so that one SDL's
        // other rounding cannot pile up where images overlap.
        Copy(ours, theirs);
        const int w = pick(1, 70), h = pick(1, 70);
        SDL_Surface* image = Bgr24(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                PutBgr(image, x, y, pick(0, 3) == 0 ? 0xff00ff : static_cast<Uint32>(random()));
        const int kind = pick(0, 6);
        SetLook(image,
                kind == 0   ? Look::Keyed
                : kind == 1 ? Look::Opaque255
                            : Look::Alpha,
                kOpacities[kind % 5]);
        // Around and beyond every edge, and positions that wrap in 16 bits.
        int x = pick(-90, 720), y = pick(-90, 560);
        if (round % 50 == 0) x += 65536;
        if (round % 70 == 0) y -= 65536;
        // Now and then a clip rectangle narrower than the screen.
        if (round % 9 == 0) {
            SDL_Rect clip{static_cast<Sint16>(pick(0, 300)), static_cast<Sint16>(pick(0, 200)),
                          static_cast<Uint16>(pick(0, 340)), static_cast<Uint16>(pick(0, 280))};
            SDL_SetClipRect(ours, &clip);
            SDL_SetClipRect(theirs, &clip);
        }
        BlitAt(ours, x, y, image);
        SdlBlit(image, x, y, theirs);
        SDL_SetClipRect(ours, nullptr);
        SDL_SetClipRect(theirs, nullptr);
        SDL_FreeSurface(image);
        if (!SameAsSdlDraws(ours, theirs)) {
            ADD_FAILURE() << "round " << round << ": " << w << "x" << h << " at " << x << "," << y
                          << " kind " << kind;
            break;
        }
    }
    SDL_FreeSurface(ours);
    SDL_FreeSurface(theirs);
}

TEST(BlitAtExactness, OtherFormatsAreLeftToSdl) {
    SdlScreen sdl;
    SDL_Surface* ours = Xrgb32(64, 64);
    SDL_Surface* theirs = Xrgb32(64, 64);
    SDL_FillRect(ours, nullptr, 0x00336699);
    Copy(ours, theirs);
    // An unkeyed 24-bit picture (the title screen's kind) and a keyed 32-bit one.
    SDL_Surface* plain = Bgr24(20, 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            PutBgr(plain, x, y, x * 0x0c0000u + y * 0x0c0c);
    SDL_Surface* wide = sdl.Solid(10, 10, 255, 0, 255);
    SDL_SetColorKey(wide, SDL_SRCCOLORKEY, SDL_MapRGB(wide->format, 255, 0, 255));
    SDL_Rect hole{2, 2, 4, 4};
    SDL_FillRect(wide, &hole, SDL_MapRGB(wide->format, 10, 200, 30));
    SDL_SetAlpha(wide, SDL_SRCALPHA, 166);
    for (auto [image, x, y] : {std::tuple{plain, -3, 5}, std::tuple{wide, 50, 58}}) {
        BlitAt(ours, x, y, image);
        SdlBlit(image, x, y, theirs);
    }
    EXPECT_TRUE(SameBits(ours, theirs));
    for (SDL_Surface* s : {ours, theirs, plain})
        SDL_FreeSurface(s);
}
