// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The bullet pool: FireBullet's styles and slots, and MoveBullets.
#include "world/bullets.h"

#include "world/world.h"
#include "world_support.h"

#include <gtest/gtest.h>

namespace {

using Fields = std::array<std::int32_t, 9>;

// Every field of an entry, in its order: x, y, dx, dy, image, animated, kind, timer, owner.
Fields FieldsOf(const Bullet& b) {
    return {b.x, b.y, b.dx, b.dy, b.image, b.animated, b.kind, b.timer, b.owner};
}

class BulletPool : public ::testing::Test {
  protected:
    // Fires one request and records in `last` the entry it filled (-1: none).
    void FireAndTrack(std::int32_t kind, std::int32_t x, std::int32_t y, std::int32_t style) {
        std::array<std::int32_t, kBulletCount> before{};
        for (int i = 0; i < kBulletCount; ++i)
            before[i] = world.bullets[i].kind;
        FireBullet(world, kind, x, y, style);
        last = -1;
        for (int i = 0; i < kBulletCount; ++i) {
            if (before[i] == kFree && world.bullets[i].kind != kFree) last = i;
        }
    }

    World world = TestWorld();
    int last = -1;
};

TEST_F(BulletPool, FillsTheLowestFreeEntryFromOneAndRewritesIt) {
    world.CurrentPlayer = 2;
    FireAndTrack(kPlayerShot, 10, 20, 1);
    EXPECT_EQ(last, 1);
    EXPECT_EQ(world.bullets[0].kind, kFree);
    EXPECT_EQ(FieldsOf(world.bullets[1]), (Fields{10, 20, 0, -10, 1, 1, kPlayerShot, 15, 2}));

    for (int i = 2; i <= 10; ++i)
        FireAndTrack(kEnemyShot, i, 0, 5);
    EXPECT_EQ(last, 10);

    // A freed entry keeps stale fields; filling it again rewrites them all.
    world.bullets[4] = Bullet{99, 99, 9, 9, 9, 1, kFree, 2, 7};
    world.CurrentPlayer = 0;
    FireAndTrack(kEnemyShot, 50, 60, 5);
    EXPECT_EQ(last, 4);
    EXPECT_EQ(FieldsOf(world.bullets[4]), (Fields{50, 60, 0, 12, 5, 0, kEnemyShot, 15, 0}));
    FireAndTrack(kEnemyShot, 0, 0, 5);
    EXPECT_EQ(last, 11);
}

TEST_F(BulletPool, StylesGiveImageAnimationAndSpeed) {
    struct Case {
        std::int32_t kind, style, image, animated, dx, dy;
    };
    const std::array<Case, 9> cases{{
        {kPlayerShot, 1, 1, 1, 0, -10}, // gun shot
        {kPlayerShot, 2, 4, 0, 0, -7},  // missile
        {kPlayerShot, 5, 4, 0, 0, -7},  // any other player style is a missile
        {kEnemyShot, 5, 5, 0, 0, 12},
        {kEnemyShot, 7, 6, 0, 6, 5}, // not a mirror image of style 8
        {kEnemyShot, 8, 6, 0, -5, 6},
        {kEnemyShot, 1, 5, 0, 0, 3}, // no such enemy style: slow, straight down
        {kEnemyShot, 2, 5, 0, 0, 3},
        {kExplosion, 7, 6, 0, 6, 5}, // every kind but 1 uses the enemy styles
    }};
    for (const Case& c : cases) {
        FireAndTrack(c.kind, 100, 100, c.style);
        ASSERT_GE(last, 1);
        EXPECT_EQ(FieldsOf(world.bullets[last]),
                  (Fields{100, 100, c.dx, c.dy, c.image, c.animated, c.kind, 15, 0}))
            << "kind " << c.kind << " style " << c.style;
    }
}

TEST_F(BulletPool, FullPoolDropsTheRequest) {
    for (int i = 1; i < kBulletCount; ++i)
        world.bullets[i] = Bullet{i, 7, 0, 1, 5, 0, 2, 15, 0};
    const auto before = world.bullets;
    world.CurrentPlayer = 1;
    FireBullet(world, kPlayerShot, 1, 2, 1);
    FireBullet(world, kEnemyShot, 1, 2, 7);
    for (int i = 0; i < kBulletCount; ++i) {
        ASSERT_EQ(FieldsOf(world.bullets[i]), FieldsOf(before[i])) << i;
    }
    // One entry freed: the next request takes exactly that one.
    world.bullets[1024].kind = kFree;
    FireBullet(world, kPlayerShot, 1, 2, 1);
    EXPECT_EQ(world.bullets[1024].kind, kPlayerShot);
    EXPECT_EQ(world.bullets[0].kind, kFree);
}

TEST_F(BulletPool, MovesEveryEntryInPlayAndFreesStrictlyOffScreen) {
    FireAndTrack(kPlayerShot, 200, 400, 1);
    const int gun = last;
    FireAndTrack(kPlayerShot, 220, 400, 2);
    const int missile = last;
    FireAndTrack(kEnemyShot, 10, 475, 7); // lands on 480: still in play
    const int stays = last;
    FireAndTrack(kEnemyShot, 10, 476, 7); // lands on 481: gone
    const int leaves = last;
    world.bullets[0] = Bullet{5, 5, 1, 1, 5, 0, kExplosion, 3, 0}; // entry 0 is still visited
    world.bullets[20] = Bullet{5, 5, 1, 1, 5, 0, kFree, 0, 0};     // free entries stay put

    MoveBullets(world);
    EXPECT_EQ(world.bullets[gun].y, 390);
    EXPECT_EQ(world.bullets[missile].y, 393);
    EXPECT_EQ(world.bullets[stays].y, 480);
    EXPECT_EQ(world.bullets[stays].kind, kEnemyShot);
    // A freed entry keeps where it was and its image.
    EXPECT_EQ(FieldsOf(world.bullets[leaves]), (Fields{16, 481, 6, 5, 6, 0, kFree, 15, 0}));
    EXPECT_EQ(FieldsOf(world.bullets[0]), (Fields{6, 6, 1, 1, 5, 0, kExplosion, 3, 0}));
    EXPECT_EQ(world.bullets[20].x, 5);

    // The 20-pixel shot image: bottom edge at 0 stays, above 0 is gone.
    Bullet& up = world.bullets[gun];
    up.y = -10;
    MoveBullets(world);
    EXPECT_EQ(up.y, -20);
    EXPECT_EQ(up.kind, kPlayerShot);
    MoveBullets(world);
    EXPECT_EQ(up.kind, kFree);
    world.bullets[missile].y = -14;
    MoveBullets(world);
    EXPECT_EQ(world.bullets[missile].y, -21);
    EXPECT_EQ(world.bullets[missile].kind, kFree);
}

TEST_F(BulletPool, SidewaysDriftNeverFreesAShot) {
    FireAndTrack(kEnemyShot, 630, 0, 7);
    const int right = last;
    FireAndTrack(kEnemyShot, 5, 0, 8);
    const int left = last;
    for (int frame = 0; frame < 60; ++frame)
        MoveBullets(world);
    EXPECT_EQ(world.bullets[right].x, 630 + 60 * 6);
    EXPECT_EQ(world.bullets[right].kind, kEnemyShot);
    EXPECT_EQ(world.bullets[left].x, 5 - 60 * 5);
    EXPECT_EQ(world.bullets[left].kind, kEnemyShot);
    for (int frame = 0; frame < 40; ++frame)
        MoveBullets(world);
    // Only falling past the bottom frees them.
    EXPECT_EQ(world.bullets[right].kind, kFree);
    EXPECT_EQ(world.bullets[left].kind, kFree);
}

TEST_F(BulletPool, SizesComeFromTheWorldAndMissingImagesCountAsZeroHigh) {
    world.sizes.bulletHeight[4] = 40;
    world.sizes.screenHeight = 200;

    world.bullets[1] = Bullet{0, -33, 0, -7, 4, 0, kPlayerShot, 15, 1}; // to -40: stays
    world.bullets[2] = Bullet{0, 195, 0, 6, 6, 0, kEnemyShot, 15, 0};   // to 201 on 200 lines
    world.bullets[3] = Bullet{0, 9, 0, -10, 0, 0, kExplosion, 15, 0};   // image 0: to -1
    world.bullets[4] = Bullet{0, 10, 0, -10, 12, 0, kExplosion, 15, 0}; // empty slot: to 0
    world.bullets[5] = Bullet{0, 9, 0, -10, 99, 0, kExplosion, 15, 0};  // past the table
    world.bullets[6] = Bullet{0, 10, 0, -10, -3, 0, kExplosion, 15, 0}; // negative
    MoveBullets(world);
    EXPECT_EQ(world.bullets[1].kind, kPlayerShot);
    EXPECT_EQ(world.bullets[2].kind, kFree);
    EXPECT_EQ(world.bullets[3].kind, kFree);
    EXPECT_EQ(world.bullets[4].kind, kExplosion);
    EXPECT_EQ(world.bullets[5].kind, kFree);
    EXPECT_EQ(world.bullets[6].kind, kExplosion);
    MoveBullets(world);
    EXPECT_EQ(world.bullets[1].kind, kFree); // -47 + 40 < 0
}

} // namespace
