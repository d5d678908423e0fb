// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The enemy generator: when it spawns, what it spawns, and where.
#include "support/random.h"
#include "world/enemies.h"
#include "world_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <tuple>
#include <vector>

namespace {

// A scripted run of draws; drawing past its end throws, so a draw the
// generator should not have made fails the test.
struct Draws {
    std::vector<double> values;
    std::size_t used = 0;
};

Random ScriptedRandom(const std::shared_ptr<Draws>& draws) {
    Random random;
    random.scripted = [draws] { return draws->values.at(draws->used++); };
    return random;
}

const double kAlmostOne = std::nextafter(1.0, 0.0);

auto Fields(const Enemy& e) {
    return std::tuple{e.x,     e.y,         e.dx,    e.dy,       e.state,
                      e.image, e.hitPoints, e.timer, e.gunPhase, e.swing};
}

// Occupies slots first..last, the odd ones alive and the even ones exploding.
void Occupy(World& world, int first, int last) {
    for (int slot = first; slot <= last; ++slot)
        world.enemies[slot].state = slot % 2 != 0 ? 1 : -1;
}

} // namespace

TEST(EnemyGenerator, FirstCallSpawnsAtOnceDrawingTypeXSpeedCountdownInOrder) {
    WorldSizes sizes = TestSizes();
    World world = TestWorld(sizes);
    // Type 2 (0.5), x 160 (0.25), speed 4 (0.9), countdown 10 (0.0).
    auto draws = std::make_shared<Draws>(Draws{{0.5, 0.25, 0.9, 0.0}});
    Random random = ScriptedRandom(draws);
    EnemyGenerator(world, random);

    EXPECT_EQ(draws->used, 4u);
    EXPECT_EQ(Fields(world.enemies[1]), Fields(Enemy{160, -30, 0, 4, 2, 2, 7}));
    EXPECT_EQ(world.SpawnCountdown, 9);
    EXPECT_EQ(world.enemies[0].state, 0);
    EXPECT_EQ(CountEnemies(world), 1);

    // Types 1 and 3 make no speed draw: type, x, countdown only.
    for (int i = 0; i < 9; ++i)
        EnemyGenerator(world, random);
    EXPECT_EQ(draws->used, 4u);
    draws->values.insert(draws->values.end(), {0.7, 0.0, kAlmostOne});
    EnemyGenerator(world, random);
    EXPECT_EQ(draws->used, 7u);
    EXPECT_EQ(world.enemies[2].state, 3);
    EXPECT_EQ(world.enemies[2].x, 0);
    EXPECT_EQ(world.SpawnCountdown, 43); // 44 drawn, one call gone
}

TEST(EnemyGenerator, EachTypeStartsJustOutOfSightAnywhereAcrossTheWidth) {
    WorldSizes sizes = TestSizes();
    const int heights[] = {0, 20, 30, 24};
    const double typeDraws[] = {0, 0.0, 0.34, kAlmostOne};
    for (int type = 1; type <= 3; ++type) {
        World world = TestWorld(sizes);
        auto draws = std::make_shared<Draws>(Draws{{typeDraws[type], kAlmostOne, 0.5, 0.5}});
        Random random = ScriptedRandom(draws);
        EnemyGenerator(world, random);
        const Enemy& e = world.enemies[1];
        EXPECT_EQ(e.state, type);
        EXPECT_EQ(e.y, -heights[type]) << "type " << type;
        EXPECT_EQ(e.x, 639) << "type " << type; // mostly beyond the right edge, still spawned
        EXPECT_EQ(e.dy, type == 1 ? 2 : type == 2 ? 3 : 4);
        EXPECT_EQ(world.SpawnCountdown, 26); // floor(17.5) + 10, less this call
    }
}

TEST(EnemyGenerator, CapOfFifteenCountsWrecksAndRetriesTwentyCallsLater) {
    WorldSizes sizes = TestSizes();
    World world = TestWorld(sizes);
    Occupy(world, 1, 15);
    auto draws = std::make_shared<Draws>();
    Random random = ScriptedRandom(draws);
    EnemyGenerator(world, random);
    EXPECT_EQ(world.SpawnCountdown, 19);
    EXPECT_EQ(CountEnemies(world), 15);

    // A wreck's slot frees up; the next attempt is the 20th call from here,
    // and it reuses that low slot.
    world.enemies[4].state = 0;
    for (int i = 0; i < 19; ++i)
        EnemyGenerator(world, random);
    EXPECT_EQ(draws->used, 0u);
    EXPECT_EQ(world.SpawnCountdown, 0);
    draws->values = {0.0, 0.5, 0.0};
    EnemyGenerator(world, random);
    EXPECT_EQ(world.enemies[4].state, 1);
    EXPECT_EQ(world.enemies[4].x, 320);
    EXPECT_EQ(CountEnemies(world), 15);
    EXPECT_EQ(world.SpawnCountdown, 9);
}

TEST(EnemyGenerator, FourteenOccupiedSpawnsTheFifteenthThenHoldsBack) {
    WorldSizes sizes = TestSizes();
    World world = TestWorld(sizes);
    Occupy(world, 1, 14);
    auto draws = std::make_shared<Draws>(Draws{{0.0, 0.1, 0.0}});
    Random random = ScriptedRandom(draws);
    EnemyGenerator(world, random);
    EXPECT_EQ(world.enemies[15].state, 1);
    EXPECT_EQ(CountEnemies(world), 15);
    for (int i = 0; i < 200; ++i)
        EnemyGenerator(world, random);
    EXPECT_EQ(CountEnemies(world), 15);
    EXPECT_EQ(draws->used, 3u);
}

TEST(EnemyGenerator, CountdownStaysWithinTenToFortyFour) {
    WorldSizes sizes = TestSizes();
    World world = TestWorld(sizes);
    Random random;
    SeedRandom(random, 7);
    int lastSpawnCall = 0;
    for (int call = 1; call <= 3000; ++call) {
        const int before = CountEnemies(world);
        EnemyGenerator(world, random);
        if (CountEnemies(world) == before) continue;
        EXPECT_GE(world.SpawnCountdown, 9);
        EXPECT_LE(world.SpawnCountdown, 43);
        if (lastSpawnCall != 0) {
            EXPECT_GE(call - lastSpawnCall, 10);
            EXPECT_LE(call - lastSpawnCall, 44);
        }
        lastSpawnCall = call;
        for (Enemy& e : world.enemies)
            e.state = 0; // keep the cap out of the way
    }
    EXPECT_GT(lastSpawnCall, 2900);
}

TEST(SpawnEnemy, TakesLowestFreeSlotFromOneAndForcesFifty) {
    World world = TestWorld();
    auto draws = std::make_shared<Draws>(Draws{{0.0, 0.5, kAlmostOne}});
    Random random = ScriptedRandom(draws);
    world.enemies[0].state = 1; // slot 0 is never looked at
    Enemy& reused = world.enemies[1];
    reused = Enemy{5, 5, 7, 9, 0, 6, -3, 17, -1, 1};
    SpawnEnemy(world, 40, -24, 3, random);
    EXPECT_EQ(Fields(reused), Fields(Enemy{40, -24, 0, 4, 3, 3, 5, 0, 0, 0}));
    EXPECT_EQ(draws->used, 0u);

    // Type 2's speed: 2, 3 or 4 by its draw.
    for (int expected = 2; expected <= 4; ++expected) {
        SpawnEnemy(world, 0, -30, 2, random);
        EXPECT_EQ(world.enemies[expected].dy, expected);
        EXPECT_EQ(world.enemies[expected].hitPoints, 7);
    }
    SpawnEnemy(world, 0, -20, 1, random);
    EXPECT_EQ(world.enemies[5].hitPoints, 12);
    EXPECT_EQ(world.enemies[5].dy, 2);

    // With 1..49 taken, slot 50 is overwritten whatever it holds.
    Occupy(world, 1, 50);
    world.enemies[50].hitPoints = -4;
    SpawnEnemy(world, 12, -20, 1, random);
    EXPECT_EQ(Fields(world.enemies[50]), Fields(Enemy{12, -20, 0, 2, 1, 1, 12}));
    EXPECT_EQ(CountEnemies(world), 51); // slot 0 counts too
}
