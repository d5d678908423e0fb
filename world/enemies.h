// The enemies: when and where they enter, how they fly, fire and explode, and
// how the players' shots hit them.
#pragma once

#include "world/world.h"

#include <cstdint>

struct Random;

void EnemyGenerator(World& world, Random& random);
void SpawnEnemy(World& world, const std::int32_t& x, const std::int32_t& y,
                const std::int32_t& type, Random& random);
std::int32_t CountEnemies(const World& world);
void EnemyAI(World& world);
