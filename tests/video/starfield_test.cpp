// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The starfield's per-frame pass: moving, dropping and spawning stars.
#include "support/random.h"
#include "test_support.h"
#include "video/starfield.h"

#include <cmath>
#include <deque>

namespace {

// Feeds RandomUnit from a list; once the list is used up every draw is 0.5,
// which never spawns.  Counts every draw taken.
struct Draws {
    std::deque<double> queue;
    int taken = 0;
    void Attach(Random& random) {
        random.scripted = [this] {
            ++taken;
            if (queue.empty()) return 0.5;
            double r = queue.front();
            queue.pop_front();
            return r;
        };
    }
};

Uint32 Rgb(SDL_Surface* s, int x, int y) {
    Uint8 r, g, b;
    PixelAt(s, x, y, r, g, b);
    return (r << 16) | (g << 8) | b;
}

class StarfieldTest : public ::testing::Test {
  protected:
    void SetUp() override {
        images = sdl.FakeImages();
        draws.Attach(random);
    }
    SdlScreen sdl{640, 480};
    Images images;
    Random random;
    Draws draws;
    std::array<Star, kStarCount> stars{};
};

TEST_F(StarfieldTest, StepFollowsImageAndSlot) {
    // Big stars (image 11+) take their speed from the slot; 2 becomes 3.
    const int slots[] = {1, 44, 45, 153, 154, 167, 168, 200};
    const int kinds[] = {11, 11, 11, 11, 11, 12, 12, 10};
    for (int k = 0; k < 8; ++k)
        stars[slots[k]] = {100, 0, kinds[k]};
    RenderStarfield(stars, images, random);

    EXPECT_EQ(stars[1].y, 0);   // 12/110 rounds to 0: never moves
    EXPECT_EQ(stars[44].y, 0);  // 55/110 = 0.5, tie to even gives 0
    EXPECT_EQ(stars[45].y, 1);  // 56/110
    EXPECT_EQ(stars[153].y, 1); // 164/110 = 1.49
    EXPECT_EQ(stars[154].y, 3); // 165/110 = 1.5 rounds to 2, bumped to 3
    EXPECT_EQ(stars[167].y, 1); // 179/120
    EXPECT_EQ(stars[168].y, 3); // 180/120 = 1.5
    EXPECT_EQ(stars[200].y, 1); // images up to 10 always drift by one
    // One chance draw per empty slot and none for the occupied ones.
    EXPECT_EQ(draws.taken, 200 - 8);
    EXPECT_EQ(stars[0].image, 0);
}

TEST_F(StarfieldTest, StarLeavesOnlyOnceBelowTheBottomEdge) {
    stars[10] = {300, 479, 5};
    RenderStarfield(stars, images, random);
    EXPECT_EQ(stars[10].y, 480); // exactly at H: kept for this frame
    EXPECT_EQ(stars[10].image, 5);
    EXPECT_EQ(draws.taken, 199);

    // Removed, and the slot is not offered a new star in the same frame,
    // even though every draw would now spawn one.
    draws.taken = 0;
    draws.queue.assign(1000, 0.0025);
    RenderStarfield(stars, images, random);
    EXPECT_EQ(stars[10].image, 0);
    EXPECT_EQ(stars[10].y, 481);
    EXPECT_EQ(draws.taken, 199 * 3); // every other slot spawned: chance, image, x

    draws.taken = 0;
    draws.queue.clear();
    for (Star& s : stars)
        s.image = 0;
    RenderStarfield(stars, images, random);
    EXPECT_EQ(draws.taken, 200);
}

TEST_F(StarfieldTest, SpawnsOnlyInsideTheChanceWindow) {
    images.StarImage[11] = sdl.Solid(3, 7);
    images.StarImage[1] = sdl.Solid(2, 2, 0, 255, 0);
    // The double written 0.0026 lies a hair below 0.0026, so it is still
    // inside the window; the next double up is the first one outside.
    draws.queue = {0.0025,
                   0.52,
                   0.5,                         // slot 1: spawn, image 11, x 320
                   std::nextafter(0.0026, 1.0), // slot 2: just outside
                   0.0026,
                   0.0,
                   0.999,                        // slot 3: spawn, image 1, x 639
                   std::nextafter(0.0025, 0.0)}; // slot 4: just below
    RenderStarfield(stars, images, random);

    EXPECT_EQ(stars[1].image, 11);
    EXPECT_EQ(stars[1].x, 320);
    EXPECT_EQ(stars[1].y, -7); // its bottom edge on the top edge of the screen
    EXPECT_EQ(stars[2].image, 0);
    EXPECT_EQ(stars[3].image, 1);
    EXPECT_EQ(stars[3].x, 639);
    EXPECT_EQ(stars[3].y, -2);
    EXPECT_EQ(stars[4].image, 0);
    EXPECT_EQ(draws.taken, 200 + 4);
    EXPECT_EQ(Rgb(images.screen, 639, 0), 0u); // drawn, but wholly above the screen

    // One frame later the slot-3 star has moved a pixel and shows its last row.
    RenderStarfield(stars, images, random);
    EXPECT_EQ(stars[3].y, -1);
    EXPECT_EQ(Rgb(images.screen, 639, 0), 0x00ff00u);
}

TEST_F(StarfieldTest, HigherSlotsAreDrawnOverLowerOnes) {
    images.StarImage[3] = sdl.Solid(4, 4, 255, 0, 0);
    images.StarImage[4] = sdl.Solid(4, 4, 0, 0, 255);
    stars[6] = {200, 99, 3};
    stars[5] = {202, 99, 4};
    stars[7] = {204, 99, 4};
    RenderStarfield(stars, images, random);
    EXPECT_EQ(Rgb(images.screen, 201, 100), 0xff0000u); // slot 6 alone
    EXPECT_EQ(Rgb(images.screen, 202, 100), 0xff0000u); // slot 6 over slot 5
    EXPECT_EQ(Rgb(images.screen, 204, 103), 0x0000ffu); // slot 7 over slot 6
    EXPECT_EQ(Rgb(images.screen, 201, 99), 0u);         // moved down a pixel
}

} // namespace
