// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// BlitAt, PageFlip and DrawNumber on a real dummy-driver screen, read back
// pixel by pixel.
#include "support/console.h"
#include "test_support.h"
#include "video/draw.h"
#include "video/images.h"

#include <array>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

Uint32 Colour(SDL_Surface* s, int x, int y) {
    Uint8 r, g, b;
    PixelAt(s, x, y, r, g, b);
    return (r << 16) | (g << 8) | b;
}

constexpr Uint32 kGrey = 0xc8c8c8; // SdlScreen::Solid's default colour

bool RectIs(SDL_Surface* s, int x0, int y0, int x1, int y1, Uint32 colour) {
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (Colour(s, x, y) != colour) return false;
    return true;
}

int CountOf(SDL_Surface* s, Uint32 colour) {
    int n = 0;
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x)
            n += Colour(s, x, y) == colour;
    return n;
}

TEST(BlitAt, DrawsTheWholeImageWithItsCornerAtThePosition) {
    SdlScreen sdl;
    SDL_FillRect(sdl.screen, nullptr, 0);
    SDL_Surface* image = sdl.Solid(10, 6);
    BlitAt(sdl.screen, 100, 50, image);
    EXPECT_TRUE(RectIs(sdl.screen, 100, 50, 110, 56, kGrey));
    EXPECT_EQ(Colour(sdl.screen, 99, 50), 0u);
    EXPECT_EQ(Colour(sdl.screen, 110, 50), 0u);
    EXPECT_EQ(Colour(sdl.screen, 100, 49), 0u);
    EXPECT_EQ(Colour(sdl.screen, 100, 56), 0u);
    EXPECT_EQ(CountOf(sdl.screen, kGrey), 60);
}

TEST(BlitAt, ClipsAtEveryEdge) {
    SdlScreen sdl;
    SDL_FillRect(sdl.screen, nullptr, 0);
    SDL_Surface* image = sdl.Solid(10, 10);
    BlitAt(sdl.screen, -5, -7, image); // top left: 5x3 visible
    EXPECT_TRUE(RectIs(sdl.screen, 0, 0, 5, 3, kGrey));
    BlitAt(sdl.screen, 636, 200, image); // right: 4 columns visible
    EXPECT_TRUE(RectIs(sdl.screen, 636, 200, 640, 210, kGrey));
    BlitAt(sdl.screen, 300, 478, image); // bottom: 2 rows visible
    EXPECT_TRUE(RectIs(sdl.screen, 300, 478, 310, 480, kGrey));
    BlitAt(sdl.screen, 639, 479, image); // bottom-right corner pixel
    EXPECT_EQ(Colour(sdl.screen, 639, 479), kGrey);
    EXPECT_EQ(CountOf(sdl.screen, kGrey), 15 + 40 + 20 + 1);

    // Wholly off the screen on every side: nothing drawn.
    SDL_FillRect(sdl.screen, nullptr, 0);
    for (auto [x, y] :
         std::array<std::pair<int, int>, 4>{{{-10, 100}, {640, 100}, {100, -10}, {100, 480}}})
        BlitAt(sdl.screen, x, y, image);
    EXPECT_EQ(CountOf(sdl.screen, kGrey), 0);
}

TEST(BlitAt, NarrowsPositionsToSixteenBitsAndSkipsAnEmptySlot) {
    SdlScreen sdl;
    SDL_FillRect(sdl.screen, nullptr, 0);
    SDL_Surface* image = sdl.Solid(4, 4);
    // 65636 wraps to 100 in SDL's 16-bit rectangle, -65436 likewise.
    BlitAt(sdl.screen, 65536 + 100, 20, image);
    EXPECT_TRUE(RectIs(sdl.screen, 100, 20, 104, 24, kGrey));
    BlitAt(sdl.screen, 200, -65536 + 30, image);
    EXPECT_TRUE(RectIs(sdl.screen, 200, 30, 204, 34, kGrey));
    EXPECT_EQ(CountOf(sdl.screen, kGrey), 32);

    BlitAt(sdl.screen, 10, 10, nullptr);
    EXPECT_EQ(CountOf(sdl.screen, 0), 640 * 480 - 32);
}

TEST(BlitAt, LeavesOutTheKeyColour) {
    SdlScreen sdl;
    SDL_FillRect(sdl.screen, nullptr, 0);
    SDL_Surface* image = sdl.Solid(6, 6, 255, 0, 255);
    SDL_Rect middle{2, 2, 2, 2};
    SDL_FillRect(image, &middle, SDL_MapRGB(image->format, 10, 20, 30));
    SDL_SetColorKey(image, SDL_SRCCOLORKEY, SDL_MapRGB(image->format, 255, 0, 255));
    SDL_FillRect(sdl.screen, nullptr, SDL_MapRGB(sdl.screen->format, 0, 0, 255));
    BlitAt(sdl.screen, 50, 60, image);
    EXPECT_TRUE(RectIs(sdl.screen, 52, 62, 54, 64, 0x0a141e));
    EXPECT_EQ(Colour(sdl.screen, 50, 60), 0x0000ffu);
    EXPECT_EQ(Colour(sdl.screen, 55, 65), 0x0000ffu);
    EXPECT_EQ(CountOf(sdl.screen, 0xff00ff), 0);
}

TEST(PageFlip, LeavesTheWholeScreenBlackWhateverItsSize) {
    for (auto [w, h, bpp] :
         std::array<std::array<int, 3>, 3>{{{640, 480, 32}, {320, 200, 16}, {800, 600, 32}}}) {
        SdlScreen sdl(w, h, bpp);
        ASSERT_NE(sdl.screen, nullptr);
        SDL_FillRect(sdl.screen, nullptr, SDL_MapRGB(sdl.screen->format, 90, 180, 40));
        BlitAt(sdl.screen, w - 3, h - 3, sdl.Solid(10, 10));
        PageFlip(sdl.screen);
        int nonZero = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                nonZero += RawPixelAt(sdl.screen, x, y) != 0;
        EXPECT_EQ(nonZero, 0) << w << "x" << h;
    }
}

// Depths 15 and 16 are the game's own screens on every SDL: 5-5-5 and 5-6-5
// pixels as classic SDL lays out those screens, shown on SDL's 32-bit screen
// at each flip with every channel shifted up (a 5-bit 31 shows as 248, as
// classic SDL shows it), and cleared after, like any screen.
TEST(OpenScreen, DepthsFifteenAndSixteenAreScreensOfTheGamesOwnShownAtEachFlip) {
    struct Case {
        int depth;
        Uint32 r, g, b;
        Uint32 pixel; // red 31, green half way, blue 1
    };
    const Case cases[] = {{15, 0x7c00, 0x03e0, 0x001f, (31 << 10) | (16 << 5) | 1},
                          {16, 0xf800, 0x07e0, 0x001f, (31 << 11) | (32 << 5) | 1}};
    for (const Case& c : cases) {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        SDL_Init(SDL_INIT_VIDEO);
        Images images;
        ASSERT_TRUE(OpenScreen(images, 320, 200, c.depth, SDL_SWSURFACE)) << SDL_GetError();
        SDL_Surface* screen = images.screen;
        SDL_Surface* display = SDL_GetVideoSurface();
        ASSERT_NE(display, nullptr);
        EXPECT_EQ(images.ownScreen, screen);
        EXPECT_NE(display, screen);
        EXPECT_EQ(screen->format->BitsPerPixel, c.depth);
        EXPECT_EQ(screen->format->Rmask, c.r);
        EXPECT_EQ(screen->format->Gmask, c.g);
        EXPECT_EQ(screen->format->Bmask, c.b);
        EXPECT_EQ(screen->w, 320);
        EXPECT_EQ(screen->h, 200);
        ASSERT_EQ(display->format->BytesPerPixel, 4);

        SDL_Rect patch{10, 20, 30, 40};
        SDL_FillRect(screen, &patch, c.pixel);
        PageFlip(screen);
        const Uint32 shown = SDL_MapRGB(display->format, 248, 128, 8);
        EXPECT_EQ(RawPixelAt(display, 10, 20) & 0xffffff, shown) << c.depth;
        EXPECT_EQ(RawPixelAt(display, 39, 59) & 0xffffff, shown) << c.depth;
        EXPECT_EQ(RawPixelAt(display, 40, 20) & 0xffffff, 0u) << c.depth;
        EXPECT_EQ(RawPixelAt(display, 10, 19) & 0xffffff, 0u) << c.depth;
        int nonZero = 0;
        for (int y = 0; y < screen->h; ++y)
            for (int x = 0; x < screen->w; ++x)
                nonZero += RawPixelAt(screen, x, y) != 0;
        EXPECT_EQ(nonZero, 0) << c.depth;
        // The next frame shows what was drawn since, and nothing of the last.
        PageFlip(screen);
        EXPECT_EQ(RawPixelAt(display, 10, 20) & 0xffffff, 0u) << c.depth;

        FreeGraphics(images);
        EXPECT_EQ(images.screen, nullptr);
        EXPECT_EQ(images.ownScreen, nullptr);
        SDL_Quit();
    }

    // Any other depth is SDL's own screen.
    SdlScreen sdl(320, 200, 24);
    Images images;
    ASSERT_TRUE(OpenScreen(images, 320, 200, 24, SDL_SWSURFACE));
    EXPECT_EQ(images.screen, SDL_GetVideoSurface());
    EXPECT_EQ(images.ownScreen, nullptr);
}

// Ten digits of ten colours, and the console trace as lines.
class DrawNumberTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SDL_FillRect(sdl.screen, nullptr, 0);
        for (int d = 0; d <= 9; ++d)
            digits[d] = sdl.Solid(40, 50, static_cast<Uint8>(20 + d * 20), 100, 50);
        SetOutputRoutine(console, [this](std::string_view text, int flags) {
            pending += text;
            if (flags & kPrintLineEnd) {
                pending.pop_back();
                lines.push_back(pending);
                pending.clear();
            }
        });
    }
    static Uint32 DigitColour(int d) { return ((20 + d * 20) << 16) | (100 << 8) | 50; }

    SdlScreen sdl;
    std::array<SDL_Surface*, 10> digits{};
    Console console;
    std::vector<std::string> lines;
    std::string pending;
};

TEST_F(DrawNumberTest, TracesEachDigitWithItsPositionInPrintZones) {
    DrawNumber(sdl.screen, digits, console, 120, 20, 10);
    const std::vector<std::string> expected = {
        "Drawing number 120",
        " 1It was ok, at 20            10            1",
        " 2It was ok, at 77            10            2",
        " 0It was ok, at 134           10            0",
    };
    EXPECT_EQ(lines, expected);
    EXPECT_TRUE(pending.empty());
}

TEST_F(DrawNumberTest, PutsDigitsFiftySevenPixelsApart) {
    DrawNumber(sdl.screen, digits, console, 120, 20, 10);
    EXPECT_TRUE(RectIs(sdl.screen, 20, 10, 60, 60, DigitColour(1)));
    EXPECT_TRUE(RectIs(sdl.screen, 77, 10, 117, 60, DigitColour(2)));
    EXPECT_TRUE(RectIs(sdl.screen, 134, 10, 174, 60, DigitColour(0)));
    // The gaps between the 40-pixel digits and the rows around them stay black.
    EXPECT_TRUE(RectIs(sdl.screen, 60, 10, 77, 60, 0));
    EXPECT_TRUE(RectIs(sdl.screen, 174, 10, 180, 60, 0));
    EXPECT_TRUE(RectIs(sdl.screen, 20, 9, 174, 10, 0));
    EXPECT_TRUE(RectIs(sdl.screen, 20, 60, 174, 61, 0));
}

TEST_F(DrawNumberTest, DrawsZeroAsOneDigitAndTheLargestScoreInFull) {
    DrawNumber(sdl.screen, digits, console, 0, 300, 200);
    EXPECT_EQ(lines, (std::vector<std::string>{"Drawing number 0",
                                               " 0It was ok, at 300           200           0"}));
    EXPECT_TRUE(RectIs(sdl.screen, 300, 200, 340, 250, DigitColour(0)));
    EXPECT_EQ(CountOf(sdl.screen, DigitColour(0)), 40 * 50);

    SDL_FillRect(sdl.screen, nullptr, 0);
    lines.clear();
    DrawNumber(sdl.screen, digits, console, 2147483647, -100, 400);
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[0], "Drawing number 2147483647");
    EXPECT_EQ(lines[10], " 7It was ok, at 413           400           7");
    // The last digit starts at -100 + 9 * 57 = 413; the first lies off screen.
    EXPECT_EQ(Colour(sdl.screen, 413, 400), DigitColour(7));
    EXPECT_EQ(Colour(sdl.screen, 452, 449), DigitColour(7));
    EXPECT_EQ(Colour(sdl.screen, 453, 400), 0u);
}

TEST_F(DrawNumberTest, ReadsAMinusSignAsTheDigitZero) {
    DrawNumber(sdl.screen, digits, console, -5, 10, 10);
    const std::vector<std::string> expected = {
        "Drawing number -5",
        " 0It was ok, at 10            10            0",
        " 5It was ok, at 67            10            5",
    };
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(Colour(sdl.screen, 10, 10), DigitColour(0));
    EXPECT_EQ(Colour(sdl.screen, 67, 10), DigitColour(5));
}

} // namespace
