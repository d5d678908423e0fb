// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// DrawEverything: what each part of a frame puts on the screen, and where.
#include "support/console.h"
#include "support/random.h"
#include "test_support.h"
#include "video/render.h"
#include "world/world.h"

#include <string>
#include <utility>
#include <vector>

namespace {

Uint32 Rgb(SDL_Surface* s, int x, int y) {
    Uint8 r, g, b;
    PixelAt(s, x, y, r, g, b);
    return (r << 16) | (g << 8) | b;
}

constexpr Uint32 kRed = 0xff0000, kGreen = 0x00ff00, kBlue = 0x0000ff, kMagenta = 0xff00ff,
                 kYellow = 0xffff00, kCyan = 0x00ffff, kWhite = 0xffffff;

SDL_Surface* Solid(SdlScreen& sdl, int w, int h, Uint32 rgb) {
    return sdl.Solid(w, h, rgb >> 16, (rgb >> 8) & 0xff, rgb & 0xff);
}

// A 640x480 screen with the fake images, one player flying in the middle
// with nothing in stock, no stars, and the console trace captured line by
// line.  Digits are shrunk to a pixel so the score stays out of the way.
class RenderTest : public ::testing::Test {
  protected:
    explicit RenderTest(int h = 480) : sdl(640, h) {}

    void SetUp() override {
        images = sdl.FakeImages();
        for (auto& digit : images.DigitImage)
            digit = sdl.Solid(1, 1);
        random.scripted = [] { return 0.5; };
        Player& one = world.players[1];
        one.frame = 3;
        one.health = 100;
        one.x = 300;
        one.y = 380;
        world.PlayerCount = 1;
        SetOutputRoutine(console, [this](std::string_view text, int flags) {
            pending += text;
            if (flags & kPrintLineEnd) {
                while (!pending.empty() && (pending.back() == '\n' || pending.back() == '\r'))
                    pending.pop_back();
                lines.push_back(pending);
                pending.clear();
            }
        });
    }

    // One frame onto a cleared screen, as the frame loop's page flip leaves it.
    void Frame() {
        SDL_FillRect(sdl.screen, nullptr, 0);
        DrawEverything(render, world, images, random, console, 30);
    }
    Uint32 At(int x, int y) { return Rgb(sdl.screen, x, y); }

    // The frame's own progress lines, without the digit lines of the scores.
    std::vector<std::string> OwnLines() const {
        std::vector<std::string> own;
        for (const std::string& line : lines)
            if (line.find("Drawing number") == std::string::npos &&
                line.find("It was ok, at") == std::string::npos)
                own.push_back(line);
        return own;
    }

    SdlScreen sdl;
    Images images;
    World world;
    RenderState render;
    Random random;
    Console console;
    std::vector<std::string> lines;
    std::string pending;
};

TEST_F(RenderTest, TraceLinesInOrder) {
    Frame();
    const std::vector<std::string> one = {"inDrawEverything",
                                          "Starting to render Starfield",
                                          "Rendering Player 1s ship",
                                          "RenderEnemyShips",
                                          "RenderBullets",
                                          "Rendering player 1 missiles",
                                          "Rendering player 1 health",
                                          "Rendering Player 1 lives",
                                          "Rendering score",
                                          "Player 2 press 2 to join drawing",
                                          "Rendering Game Over",
                                          "Exiting sub"};
    EXPECT_EQ(OwnLines(), one);

    lines.clear();
    world.PlayerCount = 2;
    Frame();
    std::vector<std::string> two = one;
    two.insert(two.begin() + 3, "RenderPlayerTwosShip");
    two.insert(two.begin() + 9, "Rendering player 2 stuff");
    EXPECT_EQ(OwnLines(), two);
    EXPECT_EQ(lines.size(), two.size() + 4); // each score: a heading and one digit
}

TEST_F(RenderTest, BlinkAndFlameFrameCount) {
    std::vector<int> blink;
    for (int call = 1; call <= 93; ++call) {
        DrawEverything(render, world, images, random, console, 30);
        blink.push_back(render.Blink);
        EXPECT_EQ(render.FlameFrame, call % 2) << "call " << call;
    }
    for (int call = 1; call <= 93; ++call) {
        int expected = call >= 31 && call <= 61 ? 1 : call == 93 ? 1 : 0;
        EXPECT_EQ(blink[call - 1], expected) << "call " << call;
    }
}

TEST_F(RenderTest, ShipsAndEnemiesWithTheirFlames) {
    images.ShipImage[3] = Solid(sdl, 40, 50, kWhite);
    images.FlameImage = {Solid(sdl, 6, 10, kRed), Solid(sdl, 6, 10, kGreen)};
    images.EnemyImage[2] = Solid(sdl, 41, 30, kYellow);
    images.EnemyFlameImage = {Solid(sdl, 6, 10, kBlue), Solid(sdl, 6, 10, kCyan)};
    world.enemies[4] = Enemy{.x = 200, .y = 100, .state = 2, .image = 2};
    world.enemies[0] = Enemy{.x = 500, .y = 100, .state = 2, .image = 2}; // never drawn

    Frame();
    EXPECT_EQ(At(300, 380), kWhite);
    // round(40 / 2 + 2) = 22: flames at x 322 and 312, hanging from the bottom edge.
    EXPECT_EQ(At(322, 430), kRed);
    EXPECT_EQ(At(312, 439), kRed);
    EXPECT_EQ(At(318, 430), 0u);
    // round(41 / 2) = 20 (tie to even): flames at x 220 and 210, 12 above.
    EXPECT_EQ(At(200, 100), kYellow);
    EXPECT_EQ(At(220, 88), kBlue);
    EXPECT_EQ(At(210, 97), kBlue);
    EXPECT_EQ(At(216, 88), 0u);
    EXPECT_EQ(At(500, 100), 0u);

    Frame(); // the next frame uses the other flame images
    EXPECT_EQ(At(322, 430), kGreen);
    EXPECT_EQ(At(220, 88), kCyan);
}

TEST_F(RenderTest, WrecksShowACentredExplosion) {
    images.ShipImage[2] = Solid(sdl, 41, 51, kWhite);
    images.FlameImage = {Solid(sdl, 6, 10, kRed), Solid(sdl, 6, 10, kRed)};
    images.ExplosionImage[1] = Solid(sdl, 33, 33, kYellow);
    Player& one = world.players[1];
    one = Player{.x = 100, .y = 200, .frame = 2, .health = 0};
    // The enemy's image is the same size, so its explosion lands the same way.
    images.EnemyImage[1] = Solid(sdl, 41, 51, kWhite);
    world.enemies[9] = Enemy{.x = 400, .y = 200, .state = -1, .image = 1};
    world.enemies[10] = Enemy{.x = 400, .y = 50, .state = 0, .image = 1};

    Frame();
    // cx = round(120.5) = 120, cy = round(225.5) = 226, then
    // round(120 - 16.5) = 104 and round(226 - 16.5) = 210.
    for (int dx : {0, 300}) {
        EXPECT_EQ(At(104 + dx, 210), kYellow);
        EXPECT_EQ(At(136 + dx, 242), kYellow);
        EXPECT_EQ(At(103 + dx, 210), 0u);
        EXPECT_EQ(At(104 + dx, 209), 0u);
        EXPECT_EQ(At(137 + dx, 243), 0u);
    }
    EXPECT_EQ(At(100, 200), 0u); // no ship
    EXPECT_EQ(At(122, 251), 0u); // and no flames under it
    EXPECT_EQ(At(400, 50), 0u);  // a free slot shows nothing

    // Still an explosion when out of ships.
    one.health = -10;
    world.PlayerOneOut = 1;
    Frame();
    EXPECT_EQ(At(104, 210), kYellow);
}

TEST_F(RenderTest, ExplosionEntriesCountDownAndAnimatedShotsStep) {
    images.BulletImage[1] = Solid(sdl, 4, 4, kRed);
    images.BulletImage[2] = Solid(sdl, 4, 4, kGreen);
    images.BulletImage[3] = Solid(sdl, 4, 4, kBlue);
    images.BulletImage[7] = Solid(sdl, 4, 4, kCyan);
    images.BulletImage[8] = Solid(sdl, 4, 4, kYellow);
    world.bullets[7] = Bullet{.x = 100, .y = 100, .image = 8, .kind = kExplosion, .timer = 1};
    world.bullets[8] = Bullet{.x = 150, .y = 100, .image = 8, .kind = kExplosion, .timer = 3};
    world.bullets[0] = Bullet{.x = 200, .y = 100, .image = 1, .animated = 1, .kind = 1};
    // Animation looks only at `animated`: an animated entry past 3 goes to 1.
    world.bullets[20] = Bullet{.x = 250, .y = 100, .image = 7, .animated = 1, .kind = 2};
    world.bullets[21] = Bullet{.x = 300, .y = 100, .image = 2, .animated = 1, .kind = kFree};

    Frame();
    EXPECT_EQ(At(200, 100), kRed);
    EXPECT_EQ(world.bullets[7].kind, kFree); // ended this frame ...
    EXPECT_EQ(At(100, 100), kYellow);        // ... and still shown
    EXPECT_EQ(world.bullets[8].kind, kExplosion);
    EXPECT_EQ(world.bullets[8].timer, 2);
    EXPECT_EQ(At(250, 100), kCyan);
    EXPECT_EQ(world.bullets[20].image, 1);
    EXPECT_EQ(At(300, 100), 0u); // free entries are neither drawn nor stepped
    EXPECT_EQ(world.bullets[21].image, 2);

    const Uint32 cycle[] = {kGreen, kBlue, kRed, kGreen};
    for (Uint32 expected : cycle) {
        Frame();
        EXPECT_EQ(At(100, 100), 0u); // gone for good
        EXPECT_EQ(At(200, 100), expected);
    }
    EXPECT_EQ(world.bullets[8].kind, kFree); // three frames shown, then freed
}

TEST_F(RenderTest, MissileIcons) {
    images.BulletImage[4] = Solid(sdl, 4, 4, kGreen);
    auto count = [this](bool left) {
        int icons = 0;
        for (int p = 1; p <= 33; ++p)
            for (int q = 1; q <= 3; ++q)
                icons += left ? At(10 * q + 10, 10 * p + 10) == kGreen
                              : At(640 - 10 * q - 3, 10 * p + 3) == kGreen;
        return icons;
    };
    world.PlayerCount = 2;
    world.players[2] = world.players[1];
    world.players[1].missiles = 100;
    world.players[2].missiles = 100;
    Frame();
    EXPECT_EQ(count(true), 96);
    EXPECT_EQ(count(false), 96);
    EXPECT_EQ(At(20, 330), kGreen); // row 32 is the last, row 33 stays empty
    EXPECT_EQ(At(20, 340), 0u);

    world.players[1].missiles = 5;
    world.players[2].missiles = 4;
    Frame();
    EXPECT_EQ(count(true), 1);
    EXPECT_EQ(At(20, 20), kGreen); // top left of the grid
    EXPECT_EQ(count(false), 0);
}

TEST_F(RenderTest, HealthBars) {
    world.PlayerCount = 2;
    world.players[2] = world.players[1];
    const Uint32 blue = SDL_MapRGB(sdl.screen->format, 0, 0, 255);
    const Uint32 magenta = SDL_MapRGB(sdl.screen->format, 255, 0, 255);
    // The bar spans y 25 to 334 (H - 170 = 310 rows), x 50..64 and 590..604.
    struct Case {
        int health, damageRows;
    };
    for (Case c : {Case{100, 0}, Case{50, 155}, Case{30, 217}, Case{0, 310}}) {
        world.players[1].health = c.health;
        world.players[2].health = c.health;
        Frame();
        for (int y : {25, 24 + c.damageRows, 25 + c.damageRows, 334}) {
            if (y < 25 || y > 334) continue;
            const bool damaged = y < 25 + c.damageRows;
            EXPECT_EQ(RawPixelAt(sdl.screen, 50, y), damaged ? magenta : blue) << c.health;
            EXPECT_EQ(RawPixelAt(sdl.screen, 64, y), damaged ? magenta : blue) << c.health;
            EXPECT_EQ(RawPixelAt(sdl.screen, 590, y), damaged ? 655u : 65000u) << c.health;
            EXPECT_EQ(RawPixelAt(sdl.screen, 604, y), damaged ? 655u : 65000u) << c.health;
        }
        EXPECT_EQ(RawPixelAt(sdl.screen, 57, 24), 0u);
        EXPECT_EQ(RawPixelAt(sdl.screen, 57, 335), 0u);
        EXPECT_EQ(RawPixelAt(sdl.screen, 65, 100), 0u);
        EXPECT_EQ(RawPixelAt(sdl.screen, 605, 100), 0u);
    }

    // Out-of-range health keeps the damage part inside its bar: above 100 it
    // would otherwise wrap to a huge height, below 0 run past the bottom.
    world.players[1].health = 150;
    world.players[2].health = -50;
    Frame();
    EXPECT_EQ(RawPixelAt(sdl.screen, 57, 25), blue);
    EXPECT_EQ(RawPixelAt(sdl.screen, 57, 400), 0u);
    EXPECT_EQ(RawPixelAt(sdl.screen, 597, 334), 655u);
    EXPECT_EQ(RawPixelAt(sdl.screen, 597, 335), 0u);
}

// With an odd bar height, half the bar is a tie that rounds to even.
class OddHeightRenderTest : public RenderTest {
  protected:
    OddHeightRenderTest() : RenderTest(481) {}
};

TEST_F(OddHeightRenderTest, HalfHealthTieRoundsToEven) {
    world.players[1].health = 50; // 481 - 155.5 - 170 = 155.5 -> 156
    Frame();
    const Uint32 magenta = SDL_MapRGB(sdl.screen->format, 255, 0, 255);
    const Uint32 blue = SDL_MapRGB(sdl.screen->format, 0, 0, 255);
    EXPECT_EQ(RawPixelAt(sdl.screen, 57, 25 + 155), magenta);
    EXPECT_EQ(RawPixelAt(sdl.screen, 57, 25 + 156), blue);
    EXPECT_EQ(RawPixelAt(sdl.screen, 57, 335), blue);
    EXPECT_EQ(RawPixelAt(sdl.screen, 57, 336), 0u);
}

TEST_F(RenderTest, LifeTokensStair) {
    images.LifeTokenImage = Solid(sdl, 4, 4, kYellow);
    world.PlayerCount = 2;
    world.players[2] = world.players[1];
    world.players[1].lives = 3;
    world.players[2].lives = 2;
    Frame();
    // y = 480 - 4 - 70 + 10i
    EXPECT_EQ(At(20, 416), kYellow);
    EXPECT_EQ(At(30, 426), kYellow);
    EXPECT_EQ(At(43, 439), kYellow);
    EXPECT_EQ(At(19, 416), 0u);
    EXPECT_EQ(At(50, 446), 0u);
    EXPECT_EQ(At(620, 416), kYellow);
    EXPECT_EQ(At(613, 429), kYellow);
    EXPECT_EQ(At(600, 436), 0u);
}

TEST_F(RenderTest, ScoresJoinPromptAndGameOver) {
    for (auto& digit : images.DigitImage)
        digit = Solid(sdl, 4, 4, kCyan);
    images.JoinImage = Solid(sdl, 150, 30, kGreen);
    images.NoLivesImage = Solid(sdl, 120, 30, kYellow);
    images.GameOverImage = Solid(sdl, 640, 480, kRed);

    // Alone: the join prompt blinks top right, only while Blink is 1.
    world.players[1].score = 120;
    Frame();
    EXPECT_EQ(At(440, 25), 0u);
    EXPECT_EQ(At(20, 10), kCyan); // digits 57 apart
    EXPECT_EQ(At(77, 10), kCyan);
    EXPECT_EQ(At(134, 10), kCyan);
    EXPECT_EQ(At(587, 10), 0u); // no player 2 score alone
    render.Blink = 1;
    Frame();
    EXPECT_EQ(At(440, 25), kGreen); // W - 150 - 50
    EXPECT_EQ(At(589, 54), kGreen);
    EXPECT_EQ(At(439, 25), 0u);

    // Game over while alone: the game-over screen covers everything, and no
    // notice is drawn after it.
    world.GameOver = 1;
    world.PlayerOneOut = 1;
    for (int blink : {0, 1}) {
        render.Blink = blink;
        Frame();
        const std::pair<int, int> spots[] = {{50, 25}, {20, 10}, {320, 400}, {440, 25}, {639, 479}};
        for (auto [x, y] : spots)
            EXPECT_EQ(At(x, y), kRed);
    }

    // Two players: no game-over screen; the notices take opposite phases.
    world.PlayerCount = 2;
    world.players[2] = world.players[1];
    world.players[2].score = 0;
    render.Blink = 0;
    Frame();
    EXPECT_EQ(At(320, 200), 0u);
    EXPECT_EQ(At(50, 25), kYellow);
    EXPECT_EQ(At(169, 54), kYellow);
    EXPECT_EQ(At(587, 10), kCyan); // one digit at W - 53
    EXPECT_EQ(At(586, 10), 0u);
    EXPECT_EQ(At(470, 40), 0u);
    world.PlayerTwoOut = 1;
    render.Blink = 1;
    Frame();
    EXPECT_EQ(At(100, 40), 0u);
    EXPECT_EQ(At(470, 25), kYellow); // W - 120 - 50
    EXPECT_EQ(At(440, 25), 0u);      // no join prompt with two players

    world.players[2].score = 35; // two digits: the last starts at W - 49
    Frame();
    EXPECT_EQ(At(534, 10), kCyan);
    EXPECT_EQ(At(591, 10), kCyan);
}

} // namespace
