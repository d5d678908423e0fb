// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The drawing primitives: BlitAt, PageFlip and DrawNumber.
#include "video/draw.h"

#include "support/console.h"
#include "support/rounding.h"
#include "support/text.h"

#include <cstdio>
#include <string_view>

namespace {

// The game's images keep the format of their files, 24-bit pixels stored
// blue, green, red; the screen is 32-bit, 0x00RRGGBB.
bool IsBgr24(const SDL_PixelFormat* f) {
    return f->BytesPerPixel == 3 && f->Rmask == 0xff0000 && f->Gmask == 0x00ff00 &&
           f->Bmask == 0x0000ff;
}
bool IsXrgb32(const SDL_PixelFormat* f) {
    return f->BytesPerPixel == 4 && f->Rmask == 0xff0000 && f->Gmask == 0x00ff00 &&
           f->Bmask == 0x0000ff && f->Amask == 0;
}

// A colour-keyed 24-bit image, opaque or with a per-surface alpha, onto the
// 32-bit screen: nearly every blit of a frame.  SDL has no fast blitter for
// this pair and goes through its generic per-pixel conversion, which was most
// of a frame's cost.  This writes exactly what SDL's generic blitter writes:
// the same clipping, the same key test, and the same blend in unsigned 32-bit
// arithmetic, down to the bits it spills into the unused top byte.  Returns
// false for anything else, which SDL then draws.
bool BlitKeyedBgr24(SDL_Surface* image, Sint16 x, Sint16 y, SDL_Surface* screen) {
    if (!(image->flags & SDL_SRCCOLORKEY) || (image->flags & SDL_RLEACCEL)) return false;
    if (!IsBgr24(image->format) || !IsXrgb32(screen->format)) return false;
    if (SDL_MUSTLOCK(image) || SDL_MUSTLOCK(screen) || !image->pixels || !screen->pixels)
        return false;
    const bool blend = (image->flags & SDL_SRCALPHA) && image->format->alpha != SDL_ALPHA_OPAQUE;
    const Uint32 alpha = image->format->alpha;
    if (blend && alpha == 0) return true; // fully transparent: SDL draws nothing

    // Clipping as SDL_UpperBlit does it, against the screen's clip rectangle.
    int w = static_cast<Uint16>(image->w);
    int h = static_cast<Uint16>(image->h);
    int dx = x, dy = y, sx = 0, sy = 0;
    const SDL_Rect& clip = screen->clip_rect;
    if (clip.x > dx) {
        w -= clip.x - dx;
        sx += clip.x - dx;
        dx = clip.x;
    }
    if (dx + w > clip.x + clip.w) w = clip.x + clip.w - dx;
    if (clip.y > dy) {
        h -= clip.y - dy;
        sy += clip.y - dy;
        dy = clip.y;
    }
    if (dy + h > clip.y + clip.h) h = clip.y + clip.h - dy;
    if (w <= 0 || h <= 0) return true;

    const Uint32 key = image->format->colorkey;
    for (int row = 0; row < h; ++row) {
        const Uint8* src =
            static_cast<const Uint8*>(image->pixels) + (sy + row) * image->pitch + sx * 3;
        Uint32* dst = reinterpret_cast<Uint32*>(static_cast<Uint8*>(screen->pixels) +
                                                (dy + row) * screen->pitch) +
                      dx;
        for (int col = 0; col < w; ++col, src += 3, ++dst) {
            const Uint32 pixel = src[0] | (src[1] << 8) | (src[2] << 16);
            if (pixel == key) continue;
            if (!blend) {
                *dst = pixel;
                continue;
            }
            // SDL's ALPHA_BLEND on unsigned channels; a darker source makes
            // the difference wrap, and the carry of the blue channel lands
            // in the top byte just as it does in SDL's result.
            const Uint32 under = *dst;
            Uint32 r = (under >> 16) & 0xff, g = (under >> 8) & 0xff, b = under & 0xff;
            r = (((((pixel >> 16) & 0xff) - r) * alpha + 255) >> 8) + r;
            g = (((((pixel >> 8) & 0xff) - g) * alpha + 255) >> 8) + g;
            b = ((((pixel & 0xff) - b) * alpha + 255) >> 8) + b;
            *dst = (r << 16) | (g << 8) | b;
        }
    }
    return true;
}

} // namespace

void BlitAt(SDL_Surface* screen, std::int32_t x, std::int32_t y, SDL_Surface* image) {
    // Every image is checked when it is loaded, so this only guards against
    // drawing a slot that is meant to stay empty.
    if (image == nullptr || screen == nullptr) return;
    // SDL's rectangles hold 16-bit positions; farther ones wrap round.
    const auto left = static_cast<Sint16>(x);
    const auto top = static_cast<Sint16>(y);
    if (BlitKeyedBgr24(image, left, top, screen)) return;
    SDL_Rect source{0, 0, static_cast<Uint16>(image->w), static_cast<Uint16>(image->h)};
    SDL_Rect destination{left, top, 0, 0};
    SDL_UpperBlit(image, &source, screen, &destination);
}

void PageFlip(SDL_Surface* screen) {
    SDL_Flip(screen);
    SDL_PumpEvents();
    // Raw pixel 0 is black in every pixel format the screen can have.
    SDL_Rect whole{0, 0, static_cast<Uint16>(screen->w), static_cast<Uint16>(screen->h)};
    SDL_FillRect(screen, &whole, 0);
}

void DrawNumber(SDL_Surface* screen, const std::array<SDL_Surface*, 10>& digits, Console& console,
                std::int32_t value, std::int32_t x, std::int32_t y) {
    // The decimal text fits a small buffer ("-2147483648" is 11 characters),
    // so drawing the scores allocates nothing in each frame.
    char buffer[16];
    const int length = std::snprintf(buffer, sizeof buffer, "%d", static_cast<int>(value));
    const std::string_view text(buffer, static_cast<std::size_t>(length));

    PrintText(console, "Drawing number ", 0);
    PrintText(console, text, kPrintLineEnd);

    for (std::int32_t position = 1; position <= TextLength(text); ++position) {
        // A character that is no digit (the minus sign) reads as 0.
        const std::int32_t d = RoundToInt(ParseNumber(SubText(text, position, 1)));
        PrintInt(console, d, 0);
        if (d >= 0 && d <= 9) {
            PrintText(console, "It was ok, at", 0);
            PrintInt(console, x, kPrintZone);
            PrintInt(console, y, kPrintZone);
            PrintInt(console, d, kPrintLineEnd);
            BlitAt(screen, x, y, digits[d]);
            // Wraps rather than overflowing for a start near the end of the range.
            x = static_cast<std::int32_t>(static_cast<std::int64_t>(x) + 57);
        }
    }
}
