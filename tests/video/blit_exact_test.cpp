// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// BlitAt draws the game's 24-bit images itself on every screen the game can
// have, and promises classic SDL 1.2.15's arithmetic, every bit of every
// pixel.  These tests hold it to that arithmetic, written out here, on any
// SDL, and put SDL's own blit beside it: bit for bit where the linked SDL is
// classic, and on a 32-bit screen on any other SDL (sdl12-compat blends with
// SDL2's or SDL 3's rounding) the same pixels drawn and each channel within
// the bound measured for those (kOtherSdlBlendSteps, tests/test_support.h).
#include "test_support.h"
#include "video/draw.h"

#include <algorithm>
#include <cstring>
#include <random>
#include <tuple>
#include <vector>

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

// The screens the game can have, laid out as SDL 1.2 lays them out for each
// depth, and two other layouts of the same sizes (blue in the high bits).
struct ScreenLayout {
    const char* name;
    int bits;
    Uint32 r, g, b;
};

constexpr ScreenLayout kLayouts[] = {
    {"8-bit, 3-3-2 palette", 8, 0, 0, 0},
    {"8-bit, a palette of its own", 8, 0, 0, 0},
    {"15-bit 5-5-5", 15, 0x7c00, 0x03e0, 0x001f},
    {"16-bit 5-6-5", 16, 0xf800, 0x07e0, 0x001f},
    {"16-bit 5-6-5, blue high", 16, 0x001f, 0x07e0, 0xf800},
    {"24-bit", 24, 0xff0000, 0x00ff00, 0x0000ff},
    {"32-bit", 32, 0xff0000, 0x00ff00, 0x0000ff},
    {"32-bit, blue high", 32, 0x0000ff, 0x00ff00, 0xff0000},
};

// The palette SDL 1.2 gives every 8-bit screen: index bits rrrgggbb, each
// field spread over the whole 0..255 range.
std::vector<SDL_Color> DitheredPalette() {
    std::vector<SDL_Color> colours(256);
    auto spread = [](int field, int bits) {
        int value = 0;
        for (int filled = 0; filled < 8; filled += bits)
            value |= (field << (8 - bits)) >> filled;
        return static_cast<Uint8>(value);
    };
    for (int i = 0; i < 256; ++i)
        colours[i] = {spread(i >> 5, 3), spread((i >> 2) & 7, 3), spread(i & 3, 2), 0};
    return colours;
}

// One channel of a packed pixel: where it sits and how many bits it has.
struct Field {
    int shift = 0, bits = 0;
};
Field FieldOf(Uint32 mask) {
    Field f;
    while (mask != 0 && !(mask & 1)) {
        mask >>= 1;
        ++f.shift;
    }
    while (mask & 1) {
        mask >>= 1;
        ++f.bits;
    }
    return f;
}

int BytesOf(int bits) {
    return (bits + 7) / 8;
}

Uint32 ReadPixel(const SDL_Surface* s, int x, int y) {
    const int bytes = s->format->BytesPerPixel;
    const Uint8* p = static_cast<const Uint8*>(s->pixels) + y * s->pitch + x * bytes;
    Uint32 value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= static_cast<Uint32>(p[i]) << (8 * i);
    return value;
}

void WritePixel(SDL_Surface* s, int x, int y, Uint32 value) {
    const int bytes = s->format->BytesPerPixel;
    Uint8* p = static_cast<Uint8*>(s->pixels) + y * s->pitch + x * bytes;
    for (int i = 0; i < bytes; ++i)
        p[i] = static_cast<Uint8>(value >> (8 * i));
}

// How one image is set up for a round: a key or none, an opacity or none.
struct Setting {
    bool keyed;
    int alpha; // -1: no SDL_SRCALPHA
};

// For each 3-3-2 colour, the first palette entry nearest to it (least
// squared distance): how SDL 1.2 maps colours onto a palette.
std::vector<Uint32> NearestOf(const std::vector<SDL_Color>& palette) {
    std::vector<Uint32> nearest(256);
    const std::vector<SDL_Color> dithered = DitheredPalette();
    for (int c = 0; c < 256; ++c) {
        long best = -1;
        for (std::size_t i = 0; i < palette.size(); ++i) {
            const long dr = palette[i].r - dithered[c].r, dg = palette[i].g - dithered[c].g,
                       db = palette[i].b - dithered[c].b;
            const long distance = dr * dr + dg * dg + db * db;
            if (best < 0 || distance < best) {
                best = distance;
                nearest[c] = static_cast<Uint32>(i);
            }
        }
    }
    return nearest;
}

// What classic SDL 1.2.15 leaves in one screen pixel.  A screen channel of
// fewer than 8 bits reads back shifted up with its low bits 0, and a colour
// goes in by dropping its low bits; an 8-bit screen blends from the palette
// colour under the pixel and takes the index of the colour's top 3-3-2 bits,
// looked up by nearest colour in a palette other than the 3-3-2 one.  A blend
// whose sum is negative leaves bit 24 of its channel set (unsigned
// arithmetic), and that bit stays in the pixel where the channel's shift puts
// it inside the pixel's bytes.
Uint32 ClassicPixel(Uint32 under, Uint32 over, const Setting& setting, const ScreenLayout& layout,
                    const std::vector<SDL_Color>& palette, const std::vector<Uint32>& nearestOf) {
    if (setting.keyed && over == 0xff00ff) return under;
    const bool blend = setting.alpha >= 0 && setting.alpha < 255;
    const int source[3] = {static_cast<int>(over >> 16), static_cast<int>((over >> 8) & 0xff),
                           static_cast<int>(over & 0xff)};
    if (layout.bits == 8) {
        int c[3] = {source[0], source[1], source[2]};
        if (blend) {
            const SDL_Color& d = palette[under];
            const int dc[3] = {d.r, d.g, d.b};
            for (int i = 0; i < 3; ++i) {
                const int sum = (c[i] - dc[i]) * setting.alpha + 255;
                c[i] = (dc[i] + (sum >= 0 ? sum / 256 : -((-sum + 255) / 256))) & 0xff;
            }
        }
        return nearestOf[((c[0] >> 5) << 5) | ((c[1] >> 5) << 2) | (c[2] >> 6)];
    }
    if (blend && setting.alpha == 0) return under;
    const Uint32 masks[3] = {layout.r, layout.g, layout.b};
    const int bytes = BytesOf(layout.bits);
    Uint32 pixel = 0;
    for (int i = 0; i < 3; ++i) {
        const Field f = FieldOf(masks[i]);
        const int loss = 8 - f.bits;
        int value = source[i];
        bool carry = false;
        if (blend) {
            const int d = static_cast<int>(((under & masks[i]) >> f.shift) << loss);
            const int sum = (value - d) * setting.alpha + 255;
            value = d + (sum >= 0 ? sum / 256 : -((-sum + 255) / 256));
            carry = sum < 0;
        }
        if (bytes == 3) { // whole bytes, written one by one
            pixel |= static_cast<Uint32>(value & 0xff) << f.shift;
            continue;
        }
        pixel |= static_cast<Uint32>(value >> loss) << f.shift;
        const int carryBit = 24 - loss + f.shift;
        if (carry && carryBit < 8 * bytes) pixel |= 1u << carryBit;
    }
    return pixel;
}

// Every screen layout, every opacity and the plain, keyed and translucent
// images: the game's pixels are classic SDL's arithmetic, bit for bit, on
// every SDL.  Where the linked SDL is classic, its own blit is put beside
// them and must agree in every bit too, which holds the arithmetic above to
// classic SDL itself.  Other SDLs' blits are not compared here: on these
// screens they get keys wrong (sdl12-compat 1.2.60 draws 8-bit keyed images
// in magenta boxes) and reduce colours otherwise, which is why the game
// draws for itself; the 32-bit tests above compare them within their bound.
TEST(BlitAtExactness, EveryScreenLayoutFollowsClassicArithmetic) {
    SdlScreen sdl;
    std::mt19937 random(30);
    constexpr int kSide = 64;
    SDL_Surface* image = Bgr24(kSide, kSide);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x)
            PutBgr(image, x, y, IsKeyPixel(x, y) ? 0xff00ff : random() & 0xffffff);

    std::vector<Setting> settings = {
        {false, -1}, {true, -1}, {true, 255}, {false, 200}, {false, 0}};
    for (int alpha = 0; alpha <= 255; ++alpha)
        settings.push_back({true, alpha});

    for (const ScreenLayout& layout : kLayouts) {
        std::vector<SDL_Color> palette = DitheredPalette();
        if (layout.bits == 8 && layout.name != kLayouts[0].name)
            for (SDL_Color& c : palette)
                c = {static_cast<Uint8>(random()), static_cast<Uint8>(random()),
                     static_cast<Uint8>(random()), 0};
        auto make = [&] {
            SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, kSide, kSide, layout.bits,
                                                  layout.r, layout.g, layout.b, 0);
            if (s != nullptr && layout.bits == 8) SDL_SetColors(s, palette.data(), 0, 256);
            return s;
        };
        SDL_Surface* start = make();
        SDL_Surface* ours = make();
        SDL_Surface* theirs = make();
        ASSERT_TRUE(start && ours && theirs) << layout.name << ": " << SDL_GetError();
        // Whatever the pixels' unused bits hold must come out as classic SDL
        // leaves them, so they start full of noise as well.
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x)
                WritePixel(start, x, y, static_cast<Uint32>(random()));
        const std::vector<Uint32> nearestOf = NearestOf(palette);

        int wrong = 0, unlikeSdl = 0;
        for (const Setting& setting : settings) {
            SDL_SetColorKey(image, setting.keyed ? SDL_SRCCOLORKEY : 0,
                            SDL_MapRGB(image->format, 255, 0, 255));
            SDL_SetAlpha(image, setting.alpha >= 0 ? SDL_SRCALPHA : 0,
                         static_cast<Uint8>(setting.alpha >= 0 ? setting.alpha : 255));
            for (SDL_Surface* s : {ours, theirs})
                std::memcpy(s->pixels, start->pixels, static_cast<std::size_t>(s->pitch) * kSide);
            BlitAt(ours, 0, 0, image);
            int bad = 0;
            for (int y = 0; y < kSide; ++y)
                for (int x = 0; x < kSide; ++x) {
                    const Uint8* p =
                        static_cast<const Uint8*>(image->pixels) + y * image->pitch + x * 3;
                    const Uint32 over = p[0] | (p[1] << 8) | (p[2] << 16);
                    bad +=
                        ReadPixel(ours, x, y) != ClassicPixel(ReadPixel(start, x, y), over, setting,
                                                              layout, palette, nearestOf);
                }
            if (bad)
                ADD_FAILURE() << layout.name << ", key " << setting.keyed << ", opacity "
                              << setting.alpha << ": " << bad << " pixels unlike classic SDL's";
            wrong += bad != 0;
            if (LinkedSdlIsClassic()) {
                SdlBlit(image, 0, 0, theirs);
                unlikeSdl += std::memcmp(ours->pixels, theirs->pixels,
                                         static_cast<std::size_t>(ours->pitch) * kSide) != 0;
            }
            if (wrong > 3) break;
        }
        EXPECT_EQ(unlikeSdl, 0) << layout.name << ": settings where classic SDL's blit differs";
        for (SDL_Surface* s : {start, ours, theirs})
            SDL_FreeSurface(s);
    }
    SDL_FreeSurface(image);
}

TEST(BlitAtExactness, OtherImagesAreLeftToSdl) {
    SdlScreen sdl;
    SDL_Surface* ours = Xrgb32(64, 64);
    SDL_Surface* theirs = Xrgb32(64, 64);
    SDL_FillRect(ours, nullptr, 0x00336699);
    Copy(ours, theirs);
    // A keyed, translucent 32-bit image: SDL draws it, so its own blit must
    // leave the same bits on any SDL, whatever its rounding.
    SDL_Surface* wide = sdl.Solid(10, 10, 255, 0, 255);
    SDL_SetColorKey(wide, SDL_SRCCOLORKEY, SDL_MapRGB(wide->format, 255, 0, 255));
    SDL_Rect hole{2, 2, 4, 4};
    SDL_FillRect(wide, &hole, SDL_MapRGB(wide->format, 10, 200, 30));
    SDL_SetAlpha(wide, SDL_SRCALPHA, 166);
    BlitAt(ours, 50, 58, wide);
    SdlBlit(wide, 50, 58, theirs);
    // Classic SDL keeps a run-length encoded image's pixels in its encoding
    // once it has drawn it, so such an image must be left to SDL there (the
    // game's images are never encoded; other SDLs say nothing of it).
    SDL_Surface* packed = Bgr24(20, 20);
    if (LinkedSdlIsClassic()) {
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x)
                PutBgr(packed, x, y, (x + y) % 3 ? x * 0x0c0000u + y * 0x0c0c : 0xff00ff);
        SDL_SetColorKey(packed, SDL_SRCCOLORKEY | SDL_RLEACCEL,
                        SDL_MapRGB(packed->format, 255, 0, 255));
        for (int i = 0; i < 2; ++i) {
            BlitAt(ours, -3, 5 + 30 * i, packed);
            SdlBlit(packed, -3, 5 + 30 * i, theirs);
        }
    }
    EXPECT_TRUE(SameBits(ours, theirs));
    for (SDL_Surface* s : {ours, theirs, packed})
        SDL_FreeSurface(s);
}
