// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The sizes the world tests fly with, as plain numbers: a 640 x 480 screen,
// ships 40 x 50 in every banking frame, enemies 30 x 20, 41 x 30 and 24 x 24
// (types 1..3, repeated for 4..6), every shot 20 high.
#pragma once

#include "world/world.h"

inline WorldSizes TestSizes() {
    WorldSizes sizes;
    sizes.screenWidth = 640;
    sizes.screenHeight = 480;
    for (int i = 1; i <= 5; ++i)
        sizes.ship[i] = {40, 50};
    sizes.enemy = {Size{}, {30, 20}, {41, 30}, {24, 24}, {41, 30}, {30, 20}, {41, 30}};
    for (int i = 1; i <= 8; ++i)
        sizes.bulletHeight[i] = 20;
    return sizes;
}

// A fresh world that knows the test sizes.
inline World TestWorld(const WorldSizes& sizes = TestSizes()) {
    World world;
    world.sizes = sizes;
    return world;
}
