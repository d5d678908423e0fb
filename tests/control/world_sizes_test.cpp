// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The sizes start-up hands to the world: each image's size in the slot of the
// same index, the screen's, and 0 x 0 for an empty slot.
#include "control/startup.h"
#include "test_support.h"

TEST(WorldSizes, MeasuredSlotBySlotFromTheImagesAndTheScreen) {
    SdlScreen sdl(320, 200);
    Images images = sdl.FakeImages();
    images.ShipImage[4] = sdl.Solid(61, 30);
    images.EnemyImage[2] = nullptr;
    images.BulletImage[3] = sdl.Solid(4, 33);

    const WorldSizes sizes = MeasureWorldSizes(images);
    EXPECT_EQ(sizes.screenWidth, 320);
    EXPECT_EQ(sizes.screenHeight, 200);
    EXPECT_EQ(sizes.ship[3].w, 40);
    EXPECT_EQ(sizes.ship[4].w, 61);
    EXPECT_EQ(sizes.ship[4].h, 30);
    EXPECT_EQ(sizes.ship[0].w, 0);
    EXPECT_EQ(sizes.enemy[1].w, 30);
    EXPECT_EQ(sizes.enemy[2].w, 0); // an empty slot
    EXPECT_EQ(sizes.enemy[3].h, 24);
    EXPECT_EQ(sizes.bulletHeight[3], 33);
    EXPECT_EQ(sizes.bulletHeight[8], 20);
    EXPECT_EQ(sizes.bulletHeight[9], 0); // 9..15 stay empty
}
