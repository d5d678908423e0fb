// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The enemies: when and where they enter, how they fly, fire and explode, and
// how the players' shots hit them.
#pragma once

#include "world/world.h"

#include <array>
#include <cstdint>

struct Random;

// What sets the three enemy types apart, by type 1..3 (entry 0 unused).
struct EnemyType {
    std::int32_t hitPoints;    // as spawned
    std::int32_t fallSpeed;    // dy for life; a spread adds 0 .. spread - 1 drawn at spawn
    std::int32_t fallSpread;   // 0: no draw
    std::int32_t fireInterval; // the fire counter value that fires a volley, matched exactly
    std::int32_t points;       // for the player whose shot destroys it
};
constexpr std::array<EnemyType, 4> kEnemyTypes{{
    {0, 0, 0, 0, 0},
    {12, 2, 0, 10, 400}, // the big gunship
    {7, 2, 3, 30, 300},
    {5, 4, 0, 10, 200}, // the small weaver
}};

void EnemyGenerator(World& world, Random& random);
void SpawnEnemy(World& world, const std::int32_t& x, const std::int32_t& y,
                const std::int32_t& type, Random& random);
std::int32_t CountEnemies(const World& world);
void EnemyAI(World& world);
