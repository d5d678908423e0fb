// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The generated artwork in data/: every file there, the right size, keyed
// cleanly, and laid out where the game puts things.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Pixel {
    int r, g, b;
    bool operator==(const Pixel&) const = default;
};

constexpr Pixel kMagenta{255, 0, 255};
constexpr Pixel kBlack{0, 0, 0};

// A BMP file read back through SDL, as plain pixels.
struct Picture {
    int w = 0, h = 0;
    int bits = 0;
    std::vector<Pixel> px;
    Pixel At(int x, int y) const { return px[static_cast<std::size_t>(y * w + x)]; }
    int Count(Pixel p) const { return static_cast<int>(std::count(px.begin(), px.end(), p)); }
};

Picture Read(const std::string& name) {
    Picture pic;
    SDL_Surface* s = SDL_LoadBMP(("data/" + name).c_str());
    if (s == nullptr) return pic;
    pic.w = s->w;
    pic.h = s->h;
    pic.bits = s->format->BitsPerPixel;
    SDL_LockSurface(s);
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x) {
            const Uint8* p =
                static_cast<const Uint8*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel;
            Uint8 r, g, b;
            SDL_GetRGB(p[0] | (p[1] << 8) | (p[2] << 16), s->format, &r, &g, &b);
            pic.px.push_back({r, g, b});
        }
    SDL_UnlockSurface(s);
    SDL_FreeSurface(s);
    return pic;
}

int Distance(Pixel a, Pixel b) {
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}

bool Solid(const Picture& pic, int x, int y, Pixel key) {
    return !(pic.At(x, y) == key);
}

const std::vector<std::string> kMagentaKeyed = {
    "gameover.bmp", "lifetoken.bmp", "0.bmp",       "1.bmp",        "2.bmp",        "3.bmp",
    "4.bmp",        "5.bmp",         "6.bmp",       "7.bmp",        "8.bmp",        "9.bmp",
    "left2.bmp",    "left1.bmp",     "forward.bmp", "right1.bmp",   "right2.bmp",   "enemy1.bmp",
    "enemy2.bmp",   "enemy3.bmp",    "star10.bmp",  "star11.bmp",   "star12.bmp",   "star13.bmp",
    "star14.bmp",   "star15.bmp",    "bullet1.bmp", "bullet2.bmp",  "bullet3.bmp",  "bullet4.bmp",
    "ebullet.bmp",  "ebullet2.bmp",  "bullet7.bmp", "explode1.bmp", "explode2.bmp", "nolives.bmp",
    "join.bmp",     "flame1.bmp",    "flame2.bmp",  "eflame1.bmp",  "eflame2.bmp",  "icon.bmp"};

TEST(Artwork, EveryImageIsThereAtItsSize) {
    struct Size {
        const char* file;
        int w, h;
    };
    const Size sizes[] = {
        {"title.bmp", 640, 480},   {"helpscreen.bmp", 640, 480}, {"gameover.bmp", 640, 480},
        {"forward.bmp", 48, 48},   {"enemy1.bmp", 64, 48},       {"enemy2.bmp", 44, 36},
        {"enemy3.bmp", 28, 24},    {"bullet4.bmp", 5, 12},       {"explode1.bmp", 48, 48},
        {"lifetoken.bmp", 16, 16}, {"icon.bmp", 32, 32},         {"flame1.bmp", 6, 14},
        {"eflame1.bmp", 10, 12}};
    for (const Size& s : sizes) {
        const Picture pic = Read(s.file);
        EXPECT_EQ(pic.w, s.w) << s.file;
        EXPECT_EQ(pic.h, s.h) << s.file;
        EXPECT_EQ(pic.bits, 24) << s.file;
    }
    // Every banking frame has the level frame's size, so a bank never moves
    // the ship's box; likewise the flame and shot frames.
    for (const char* f : {"left2.bmp", "left1.bmp", "right1.bmp", "right2.bmp"}) {
        EXPECT_EQ(Read(f).w, 48) << f;
        EXPECT_EQ(Read(f).h, 48) << f;
    }
    EXPECT_EQ(Read("flame2.bmp").h, 14);
    EXPECT_EQ(Read("eflame2.bmp").h, 12);
    EXPECT_EQ(Read("bullet2.bmp").h, Read("bullet1.bmp").h);
    EXPECT_EQ(Read("bullet3.bmp").h, Read("bullet1.bmp").h);
    for (int d = 0; d <= 9; ++d) {
        const Picture digit = Read(std::to_string(d) + ".bmp");
        EXPECT_EQ(digit.w, 40) << d;
        EXPECT_EQ(digit.h, 50) << d;
    }
    for (int i = 1; i <= 15; ++i)
        EXPECT_GT(Read("star" + std::to_string(i) + ".bmp").w, 0) << i;
    EXPECT_GT(Read("ebullet.bmp").w, 0);
    EXPECT_GT(Read("ebullet2.bmp").w, 0);
    EXPECT_GT(Read("bullet7.bmp").w, 0);
    EXPECT_GT(Read("explode2.bmp").w, 0);
    EXPECT_GT(Read("nolives.bmp").w, 0);
    EXPECT_GT(Read("join.bmp").w, 0);
}

TEST(Artwork, KeyedImagesAreTransparentExactlyOnTheKey) {
    for (const std::string& file : kMagentaKeyed) {
        const Picture pic = Read(file);
        ASSERT_GT(pic.w, 0) << file;
        const int keyed = pic.Count(kMagenta);
        EXPECT_GT(keyed, 0) << file << " has no transparent pixel";
        EXPECT_LT(keyed, pic.w * pic.h) << file << " is empty";
        // No fringe: nothing within a few levels of the key but the key itself.
        int nearKey = 0;
        for (const Pixel& p : pic.px)
            nearKey += !(p == kMagenta) && Distance(p, kMagenta) <= 40;
        EXPECT_EQ(nearKey, 0) << file;
    }
    for (int i = 1; i <= 9; ++i) {
        const std::string file = "star" + std::to_string(i) + ".bmp";
        const Picture pic = Read(file);
        EXPECT_LE(pic.w, 3) << file;
        EXPECT_LE(pic.h, 3) << file;
        EXPECT_EQ(pic.Count(kMagenta), 0) << file;
        int lit = 0, nearBlack = 0;
        for (const Pixel& p : pic.px) {
            lit += !(p == kBlack);
            nearBlack += !(p == kBlack) && Distance(p, kBlack) <= 40;
        }
        EXPECT_GT(lit, 0) << file;
        EXPECT_EQ(nearBlack, 0) << file;
    }
    // The game-over screen is mostly key, so the last frame shows through.
    const Picture over = Read("gameover.bmp");
    EXPECT_GT(over.Count(kMagenta), over.w * over.h * 8 / 10);
    int lettering = 0;
    for (int y = 160; y < 320; ++y)
        for (int x = 0; x < over.w; ++x)
            lettering += Solid(over, x, y, kMagenta);
    EXPECT_GT(lettering, 5000);
    EXPECT_FALSE(Solid(over, 0, 0, kMagenta));
    EXPECT_FALSE(Solid(over, 639, 479, kMagenta));
}

// The flames hang where the game puts them: two flames, 10 pixels apart,
// centred under the ship, so the ship's engines must end on its bottom edge
// under the flames' middles (and an enemy's on its top edge).
TEST(Artwork, EnginesSitWhereTheFlamesGo) {
    // At least half of a flame's root lands on an engine: the flame's solid
    // pixels on its root row, placed at flameX, against the ship's edge row.
    auto meets = [](const Picture& ship, int shipRow, const Picture& flame, int flameRow,
                    int flameX) {
        int root = 0, onEngine = 0;
        for (int x = 0; x < flame.w; ++x) {
            if (!Solid(flame, x, flameRow, kMagenta)) continue;
            ++root;
            onEngine += Solid(ship, flameX + x, shipRow, kMagenta);
        }
        return root > 0 && 2 * onEngine >= root;
    };
    for (const char* file : {"left2.bmp", "left1.bmp", "forward.bmp", "right1.bmp", "right2.bmp"}) {
        const Picture ship = Read(file);
        const Picture flame = Read("flame1.bmp");
        // Flames at x + round(w / 2 + 2) and 10 pixels left of that.
        const int right = ship.w / 2 + 2;
        EXPECT_TRUE(meets(ship, ship.h - 1, flame, 0, right)) << file;
        EXPECT_TRUE(meets(ship, ship.h - 1, flame, 0, right - 10)) << file;
        EXPECT_FALSE(Solid(ship, 0, ship.h - 1, kMagenta)) << file;
    }
    for (const char* file : {"enemy1.bmp", "enemy2.bmp", "enemy3.bmp"}) {
        const Picture enemy = Read(file);
        const Picture flame = Read("eflame1.bmp");
        // Flames at x + round(w / 2) and 10 pixels left of that.
        const int right = enemy.w / 2;
        EXPECT_TRUE(meets(enemy, 0, flame, flame.h - 1, right)) << file;
        EXPECT_TRUE(meets(enemy, 0, flame, flame.h - 1, right - 10)) << file;
    }
    // Player flames point down (wide at the top), enemy flames up.
    auto width = [](const Picture& p, int y) {
        int n = 0;
        for (int x = 0; x < p.w; ++x)
            n += Solid(p, x, y, kMagenta);
        return n;
    };
    for (const char* file : {"flame1.bmp", "flame2.bmp"}) {
        const Picture f = Read(file);
        EXPECT_GT(width(f, 0), width(f, f.h / 2)) << file;
    }
    for (const char* file : {"eflame1.bmp", "eflame2.bmp"}) {
        const Picture f = Read(file);
        EXPECT_GT(width(f, f.h - 1), width(f, f.h / 2)) << file;
    }
    // The ship banks: the hard frames are narrower than the level one.
    const Picture level = Read("forward.bmp"), hard = Read("left2.bmp");
    EXPECT_LT(hard.w * hard.h - hard.Count(kMagenta), level.w * level.h - level.Count(kMagenta));
    EXPECT_NE(Read("left2.bmp").px, Read("right2.bmp").px);
}

// The menu cursor (bullet1) stands just left of each label on the title:
// where the cursor is drawn the title is dark, and bright lettering starts
// a few pixels to its right, level with it.
TEST(Artwork, TitleLabelsSitBesideTheCursorPositions) {
    const Picture title = Read("title.bmp"), cursor = Read("bullet1.bmp");
    ASSERT_EQ(title.w, 640);
    auto bright = [](Pixel p) { return p.r + p.g + p.b > 450; };
    struct Spot {
        int x, y;
    };
    for (Spot s :
         {Spot{345, 195}, Spot{473, 245}, Spot{500, 245}, Spot{345, 295}, Spot{345, 370}}) {
        int underCursor = 0, label = 0, aboveOrBelow = 0;
        for (int y = s.y; y < s.y + cursor.h; ++y)
            for (int x = s.x; x < s.x + cursor.w; ++x)
                underCursor += bright(title.At(x, y));
        for (int y = s.y; y < s.y + cursor.h; ++y)
            for (int x = s.x + cursor.w; x < s.x + cursor.w + 16; ++x)
                label += bright(title.At(x, y));
        for (int x = s.x + cursor.w; x < s.x + cursor.w + 16; ++x) {
            aboveOrBelow += bright(title.At(x, s.y - 8));
            aboveOrBelow += bright(title.At(x, s.y + cursor.h + 8));
        }
        EXPECT_EQ(underCursor, 0) << s.x << "," << s.y;
        EXPECT_GT(label, 10) << s.x << "," << s.y;
        EXPECT_EQ(aboveOrBelow, 0) << s.x << "," << s.y;
    }
}

} // namespace
