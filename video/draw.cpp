// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The drawing primitives: BlitAt, PageFlip and DrawNumber.
#include "video/draw.h"

#include "support/console.h"
#include "support/rounding.h"
#include "support/text.h"
#include "video/images.h"

#include <array>
#include <bit>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace {

// The game's images keep the format of their files: 24-bit pixels stored
// blue, green, red.
bool IsBgr24(const SDL_PixelFormat* f) {
    return f->BytesPerPixel == 3 && f->Rmask == 0xff0000 && f->Gmask == 0x00ff00 &&
           f->Bmask == 0x0000ff && f->Amask == 0;
}
// The usual screen: 32-bit, 0x00RRGGBB.
bool IsXrgb32(const SDL_PixelFormat* f) {
    return f->BytesPerPixel == 4 && f->Rmask == 0xff0000 && f->Gmask == 0x00ff00 &&
           f->Bmask == 0x0000ff && f->Amask == 0;
}

// What part of the image lands where, once clipped.
struct Span {
    int sx = 0, sy = 0; // first pixel of the image drawn
    int dx = 0, dy = 0; // where it goes on the screen
    int w = 0, h = 0;   // how much of it, 0 when none
};

// Clipping as SDL_UpperBlit does it, against the screen's clip rectangle.
Span ClipToScreen(const SDL_Surface* image, Sint16 x, Sint16 y, const SDL_Surface* screen) {
    Span s;
    s.w = static_cast<Uint16>(image->w);
    s.h = static_cast<Uint16>(image->h);
    s.dx = x;
    s.dy = y;
    const SDL_Rect& clip = screen->clip_rect;
    if (clip.x > s.dx) {
        s.w -= clip.x - s.dx;
        s.sx += clip.x - s.dx;
        s.dx = clip.x;
    }
    if (s.dx + s.w > clip.x + clip.w) s.w = clip.x + clip.w - s.dx;
    if (clip.y > s.dy) {
        s.h -= clip.y - s.dy;
        s.sy += clip.y - s.dy;
        s.dy = clip.y;
    }
    if (s.dy + s.h > clip.y + clip.h) s.h = clip.y + clip.h - s.dy;
    if (s.w <= 0 || s.h <= 0) s.w = s.h = 0;
    return s;
}

// How SDL 1.2 draws an image: its key (skipped pixels) and, when it has an
// opacity below 255, its blend.  Opacity 255 with SDL_SRCALPHA draws as if
// no alpha were set.  An image without a key gets one no 24-bit pixel can
// equal, so that the loops test every pixel against the key with one
// comparison, the one branch a keyed image needs.
struct Look {
    Uint32 key = kNoKey;
    bool blend = false;
    Uint32 alpha = 255;
    static constexpr Uint32 kNoKey = 0xffffffff;
};

Look LookOf(const SDL_Surface* image) {
    Look look;
    if (image->flags & SDL_SRCCOLORKEY) look.key = image->format->colorkey;
    look.blend = (image->flags & SDL_SRCALPHA) && image->format->alpha != SDL_ALPHA_OPAQUE;
    look.alpha = image->format->alpha;
    return look;
}

// Classic SDL's ALPHA_BLEND on one channel, d + ((s - d) * alpha + 255) / 256
// in unsigned 32-bit arithmetic: a darker source makes the difference wrap,
// which leaves the low eight bits right and sets bit 24.  Where the result
// goes into a pixel, that carry is shifted along with the channel, so it
// falls off the top or lands in unused bits just as it does in SDL's.
inline Uint32 Blend(Uint32 s, Uint32 d, Uint32 alpha) {
    return (((s - d) * alpha + 255) >> 8) + d;
}

inline Uint32 SourcePixel(const Uint8* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16);
}

const Uint8* SourceRow(const SDL_Surface* image, const Span& s, int row) {
    return static_cast<const Uint8*>(image->pixels) + (s.sy + row) * image->pitch + s.sx * 3;
}
Uint8* ScreenRow(SDL_Surface* screen, const Span& s, int row) {
    return static_cast<Uint8*>(screen->pixels) + (s.dy + row) * screen->pitch +
           s.dx * screen->format->BytesPerPixel;
}

// Nearly every blit of a frame on the usual 32-bit screen.  SDL has no fast
// blitter for this pair and goes through its generic per-pixel conversion,
// which was most of a frame's cost; this is the packed-pixel loop below
// with the layout fixed, and a loop of its own for each way of drawing.
// The look is copied into locals first: a write through the screen pointer
// could otherwise alias it and make every pixel read it again.
template <bool Blended>
void DrawOnXrgb32(const SDL_Surface* image, const Look& look, const Span& s, SDL_Surface* screen) {
    const Uint32 key = look.key, alpha = look.alpha;
    for (int row = 0; row < s.h; ++row) {
        const Uint8* src = SourceRow(image, s, row);
        auto* dst = reinterpret_cast<Uint32*>(ScreenRow(screen, s, row));
        for (int col = 0; col < s.w; ++col, src += 3, ++dst) {
            const Uint32 pixel = SourcePixel(src);
            if (pixel == key) continue;
            if constexpr (!Blended) {
                *dst = pixel;
            } else {
                const Uint32 under = *dst;
                const Uint32 r = Blend(pixel >> 16, (under >> 16) & 0xff, alpha);
                const Uint32 g = Blend((pixel >> 8) & 0xff, (under >> 8) & 0xff, alpha);
                const Uint32 b = Blend(pixel & 0xff, under & 0xff, alpha);
                *dst = (r << 16) | (g << 8) | b;
            }
        }
    }
}

// A screen of packed pixels, 2, 3 or 4 bytes each: classic SDL's generic
// blitters.  A screen channel of fewer than 8 bits is read back shifted up
// (its low bits 0), and a colour goes in by dropping its low bits; no
// dithering.  The 3-byte screen takes each channel's low 8 bits at its byte.
// One channel of a packed screen, copied out of its format.
struct Channel {
    Uint32 mask;
    int shift, loss;
    Uint32 Read(Uint32 pixel) const { return ((pixel & mask) >> shift) << loss; }
    Uint32 Place(Uint32 value) const { return (value >> loss) << shift; }
};

template <int Bytes, bool Blended>
void DrawOnPacked(const SDL_Surface* image, const Look& look, const Span& s, SDL_Surface* screen) {
    const SDL_PixelFormat& f = *screen->format;
    const Channel red{f.Rmask, f.Rshift, f.Rloss}, green{f.Gmask, f.Gshift, f.Gloss},
        blue{f.Bmask, f.Bshift, f.Bloss};
    const Uint32 key = look.key, alpha = look.alpha;
    for (int row = 0; row < s.h; ++row) {
        const Uint8* src = SourceRow(image, s, row);
        Uint8* dst = ScreenRow(screen, s, row);
        for (int col = 0; col < s.w; ++col, src += 3, dst += Bytes) {
            const Uint32 pixel = SourcePixel(src);
            if (pixel == key) continue;
            Uint32 r = pixel >> 16, g = (pixel >> 8) & 0xff, b = pixel & 0xff;
            if constexpr (Blended) {
                Uint32 under = 0;
                if constexpr (Bytes == 3) {
                    under = SourcePixel(dst);
                } else {
                    std::memcpy(&under, dst, Bytes); // the low bytes, on a little-endian machine
                }
                r = Blend(r, red.Read(under), alpha);
                g = Blend(g, green.Read(under), alpha);
                b = Blend(b, blue.Read(under), alpha);
            }
            if constexpr (Bytes == 3) {
                dst[red.shift / 8] = static_cast<Uint8>(r);
                dst[green.shift / 8] = static_cast<Uint8>(g);
                dst[blue.shift / 8] = static_cast<Uint8>(b);
            } else {
                const Uint32 out = red.Place(r) | green.Place(g) | blue.Place(b);
                std::memcpy(dst, &out, Bytes);
            }
        }
    }
}

template <int Bytes>
void DrawOnPacked(const SDL_Surface* image, const Look& look, const Span& s, SDL_Surface* screen) {
    if (look.blend)
        DrawOnPacked<Bytes, true>(image, look, s, screen);
    else
        DrawOnPacked<Bytes, false>(image, look, s, screen);
}

// The colour an index stands for in the 3-3-2 palette: SDL 1.2 gives every
// 8-bit screen this one (SDL_DitherColors), and reduces any colour to its
// index by the top 3 bits of red and green and the top 2 of blue.
constexpr SDL_Color DitheredColour(int i) {
    int r = i & 0xe0, g = (i << 3) & 0xe0, b = i & 0x03;
    r |= r >> 3 | r >> 6;
    g |= g >> 3 | g >> 6;
    b |= b << 2;
    b |= b << 4;
    return SDL_Color{static_cast<Uint8>(r), static_cast<Uint8>(g), static_cast<Uint8>(b), 0};
}

inline int Index332(Uint32 r, Uint32 g, Uint32 b) {
    return static_cast<int>(((r >> 5) << 5) | ((g >> 5) << 2) | (b >> 6));
}

// The 3-3-2 palette's colours as their bytes red, green, blue read as one
// little-endian number (the unused fourth byte left out).
constexpr std::array<Uint32, 256> kDitheredColours = [] {
    std::array<Uint32, 256> colours{};
    for (int i = 0; i < 256; ++i) {
        const SDL_Color c = DitheredColour(i);
        colours[i] = c.r | (c.g << 8) | (static_cast<Uint32>(c.b) << 16);
    }
    return colours;
}();

// Whether the screen has the 3-3-2 palette itself (red, green and blue
// compared; the fourth byte of a colour is unused, and SDLs fill it
// differently).  Every colour is looked at, with no early way out, so the
// loop runs as a few wide compares: it runs at every blit.
bool IsDithered(const SDL_Palette& palette) {
    Uint32 differ = 0;
    for (int i = 0; i < 256; ++i) {
        Uint32 have;
        std::memcpy(&have, &palette.colors[i], 4);
        differ |= (have & 0x00ffffff) ^ kDitheredColours[i];
    }
    return differ == 0;
}

// Which screen index each 3-3-2 index is drawn as on another palette: the
// nearest colour (the first of the least squared distance), as SDL takes it.
using PaletteMap = std::array<Uint8, 256>;

void MapOnto(const SDL_Palette& palette, PaletteMap& map) {
    for (int i = 0; i < 256; ++i) {
        const SDL_Color c = DitheredColour(i);
        unsigned smallest = ~0u;
        for (int j = 0; j < palette.ncolors; ++j) {
            const int rd = palette.colors[j].r - c.r, gd = palette.colors[j].g - c.g,
                      bd = palette.colors[j].b - c.b;
            const auto distance = static_cast<unsigned>(rd * rd + gd * gd + bd * bd);
            if (distance < smallest) {
                map[i] = static_cast<Uint8>(j);
                smallest = distance;
                if (distance == 0) break;
            }
        }
    }
}

// An 8-bit screen: every colour, drawn or blended, goes to its 3-3-2 index,
// through the map where the palette is another; a blend starts from the
// palette colour underneath.
template <bool Mapped>
void DrawOnIndexed(const SDL_Surface* image, const Look& look, const Span& s, SDL_Surface* screen,
                   const PaletteMap& map) {
    const SDL_Color* colours = screen->format->palette->colors;
    const bool blend = look.blend;
    const Uint32 key = look.key, alpha = look.alpha;
    for (int row = 0; row < s.h; ++row) {
        const Uint8* src = SourceRow(image, s, row);
        Uint8* dst = ScreenRow(screen, s, row);
        for (int col = 0; col < s.w; ++col, src += 3, ++dst) {
            const Uint32 pixel = SourcePixel(src);
            if (pixel == key) continue;
            Uint32 r = pixel >> 16, g = (pixel >> 8) & 0xff, b = pixel & 0xff;
            if (blend) {
                const SDL_Color under = colours[*dst];
                r = Blend(r, under.r, alpha) & 0xff;
                g = Blend(g, under.g, alpha) & 0xff;
                b = Blend(b, under.b, alpha) & 0xff;
            }
            const int index = Index332(r, g, b);
            *dst = Mapped ? map[index] : static_cast<Uint8>(index);
        }
    }
}

void DrawOnIndexed(const SDL_Surface* image, const Look& look, const Span& s, SDL_Surface* screen) {
    PaletteMap map{};
    if (IsDithered(*screen->format->palette)) {
        DrawOnIndexed<false>(image, look, s, screen, map);
    } else {
        MapOnto(*screen->format->palette, map);
        DrawOnIndexed<true>(image, look, s, screen, map);
    }
}

// The screens this draws on itself, and which loop does it.
enum class Screen { Other, Xrgb32, Packed2, Packed3, Packed4, Indexed };

Screen KindOf(const SDL_PixelFormat* f) {
    if (f->Amask != 0) return Screen::Other;
    if (IsXrgb32(f)) return Screen::Xrgb32;
    switch (f->BytesPerPixel) {
    case 1:
        return f->BitsPerPixel == 8 && f->palette != nullptr && f->palette->ncolors == 256
                   ? Screen::Indexed
                   : Screen::Other;
    case 2:
        return Screen::Packed2;
    case 3:
        // Each channel a whole byte of its own.
        return f->Rloss == 0 && f->Gloss == 0 && f->Bloss == 0 && f->Rshift % 8 == 0 &&
                       f->Gshift % 8 == 0 && f->Bshift % 8 == 0 && f->Rshift <= 16 &&
                       f->Gshift <= 16 && f->Bshift <= 16
                   ? Screen::Packed3
                   : Screen::Other;
    case 4:
        return Screen::Packed4;
    default:
        return Screen::Other;
    }
}

// Draws one of the game's images, keyed, translucent or plain, onto the
// screen with exactly the pixel values classic SDL 1.2.15 writes on that
// screen: its clipping, its key test, its blend arithmetic (down to the bits
// it spills into unused ones) and its mapping of colours to the screen's
// pixels.  SDL's own blit is not used for these: other SDLs (sdl12-compat
// over SDL2 or SDL 3) blend with other rounding, reduce colours to 15 or 16
// bits differently, and miss colour keys on 8-bit screens.  Returns false for
// anything else (an image of another format, a run-length encoded one, a
// screen kind not handled here), which SDL then draws.
bool DrawImage(SDL_Surface* image, Sint16 x, Sint16 y, SDL_Surface* screen) {
    // The loops read and write pixels as this byte order stores them; a
    // big-endian machine is left to SDL.
    if constexpr (SDL_BYTEORDER != SDL_LIL_ENDIAN) return false;
    if (image->flags & SDL_RLEACCEL) return false;
    if (!IsBgr24(image->format) || SDL_MUSTLOCK(image) || image->pixels == nullptr) return false;
    const Screen kind = KindOf(screen->format);
    if (kind == Screen::Other) return false;
    const Look look = LookOf(image);
    // Opacity 0 draws nothing on a packed screen; an 8-bit screen still
    // takes every pixel under the image through its palette map.
    if (look.blend && look.alpha == 0 && kind != Screen::Indexed) return true;
    const Span span = ClipToScreen(image, x, y, screen);
    if (span.w == 0) return true;
    if (SDL_MUSTLOCK(screen) && SDL_LockSurface(screen) != 0) return false;
    if (screen->pixels != nullptr) {
        switch (kind) {
        case Screen::Xrgb32:
            if (look.blend)
                DrawOnXrgb32<true>(image, look, span, screen);
            else
                DrawOnXrgb32<false>(image, look, span, screen);
            break;
        case Screen::Packed2:
            DrawOnPacked<2>(image, look, span, screen);
            break;
        case Screen::Packed3:
            DrawOnPacked<3>(image, look, span, screen);
            break;
        case Screen::Packed4:
            DrawOnPacked<4>(image, look, span, screen);
            break;
        case Screen::Indexed:
            DrawOnIndexed(image, look, span, screen);
            break;
        case Screen::Other:
            break;
        }
    }
    if (SDL_MUSTLOCK(screen)) SDL_UnlockSurface(screen);
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
    if (DrawImage(image, left, top, screen)) return;
    SDL_Rect source{0, 0, static_cast<Uint16>(image->w), static_cast<Uint16>(image->h)};
    SDL_Rect destination{left, top, 0, 0};
    SDL_UpperBlit(image, &source, screen, &destination);
}

bool OpenScreen(Images& images, int width, int height, int bitsPerPixel, std::uint32_t flags) {
    images.ownScreen = nullptr;
    if (bitsPerPixel != 15 && bitsPerPixel != 16) {
        images.screen = SDL_SetVideoMode(width, height, bitsPerPixel, flags);
        return images.screen != nullptr;
    }
    // At 15 and 16 bits the game draws on a screen of its own, laid out as
    // classic SDL lays out its 15- and 16-bit screens, and shows it itself.
    // SDL is not asked for 15 bits: sdl12-compat refuses the depth, and
    // classic SDL's dummy driver allocates such a screen by whole bytes per
    // pixel (one) and overruns it while clearing it inside SDL_SetVideoMode.
    // Nor for 16: sdl12-compat shows a 16-bit screen with its channels
    // widened by repeating their top bits, up to 7 steps of 255 brighter
    // than classic SDL, which shifts them up.
    images.screen = nullptr;
    SDL_Surface* display = SDL_SetVideoMode(width, height, 32, flags);
    if (display == nullptr) return false;
    const bool fifteen = bitsPerPixel == 15;
    images.ownScreen =
        SDL_CreateRGBSurface(SDL_SWSURFACE, display->w, display->h, bitsPerPixel,
                             fifteen ? 0x7c00 : 0xf800, fifteen ? 0x03e0 : 0x07e0, 0x001f, 0);
    images.screen = images.ownScreen;
    if (images.screen != nullptr) SDL_FillRect(images.screen, nullptr, 0);
    return images.screen != nullptr;
}

namespace {

// The game's own 15- or 16-bit screen onto SDL's 32-bit one, as classic
// SDL copies its 15- or 16-bit shadow screen to a display of 24 or 32 bits:
// each channel shifted up, its low bits 0.
template <Uint32 RedMask, Uint32 GreenMask>
void PresentPacked(const SDL_Surface* screen, SDL_Surface* display) {
    constexpr int kRedUp = 24 - std::countr_zero(RedMask) - std::popcount(RedMask);
    constexpr int kGreenUp = 16 - std::countr_zero(GreenMask) - std::popcount(GreenMask);
    for (int y = 0; y < screen->h; ++y) {
        const auto* src = reinterpret_cast<const Uint16*>(
            static_cast<const Uint8*>(screen->pixels) + y * screen->pitch);
        auto* dst =
            reinterpret_cast<Uint32*>(static_cast<Uint8*>(display->pixels) + y * display->pitch);
        for (int x = 0; x < screen->w; ++x) {
            const Uint32 p = src[x];
            dst[x] = ((p & RedMask) << kRedUp) | ((p & GreenMask) << kGreenUp) | ((p & 0x1f) << 3);
        }
    }
}

void Present(SDL_Surface* screen, SDL_Surface* display) {
    const SDL_PixelFormat& from = *screen->format;
    const bool plain = from.BytesPerPixel == 2 && from.Bmask == 0x001f &&
                       IsXrgb32(display->format) && !SDL_MUSTLOCK(display) &&
                       screen->w == display->w && screen->h == display->h;
    if (plain && from.Rmask == 0x7c00 && from.Gmask == 0x03e0)
        PresentPacked<0x7c00, 0x03e0>(screen, display);
    else if (plain && from.Rmask == 0xf800 && from.Gmask == 0x07e0)
        PresentPacked<0xf800, 0x07e0>(screen, display);
    else
        SDL_BlitSurface(screen, nullptr, display, nullptr);
}

} // namespace

void PageFlip(SDL_Surface* screen) {
    SDL_Surface* display = SDL_GetVideoSurface();
    if (display != nullptr && display != screen) {
        Present(screen, display);
        SDL_Flip(display);
    } else {
        SDL_Flip(screen);
    }
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
