// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The enemies: EnemyGenerator, SpawnEnemy, CountEnemies and EnemyAI, with
// their volleys, weaving, hits and scores.
#include "world/enemies.h"

#include "support/random.h"
#include "support/rounding.h"
#include "world/bullets.h"
#include "world/events.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

constexpr std::int32_t kSpawnRetry = 20;    // calls until the next attempt when the cap holds
constexpr std::int32_t kExplosionTime = 20; // frames a destroyed enemy is shown exploding
constexpr std::int32_t kGunDamage = 1;
constexpr std::int32_t kMissileDamage = 5;

constexpr std::int32_t kSwingLimit = 20; // type 3's speed turns round at -20 and +20

// The row of an enemy type; a state that is no type (a free or exploding
// slot, or a stray record) reads as the empty row 0.
const EnemyType& TypeOf(std::int32_t type) {
    return type >= 1 && type <= 3 ? kEnemyTypes[type] : kEnemyTypes[0];
}

// The image's size, or 0 x 0 for an index outside the table or an empty slot,
// so a corrupt record can only miss, never read past the table.
void EnemySize(const World& world, std::int32_t image, std::int32_t& w, std::int32_t& h) {
    const Size size = SizeAt(world.sizes.enemy, image);
    w = size.w;
    h = size.h;
}

// The draws are uniform in [0, 1); the product is formed in double and
// floored, so floor(n * r) is 0 .. n - 1.
std::int32_t DrawBelow(Random& random, double n) {
    return static_cast<std::int32_t>(std::floor(n * RandomUnit(random, 1)));
}

void RaiseEvent(World& world, Enemy& enemy, std::int32_t& slot) {
    Player& one = world.players[1];
    GameEvent(one.x, one.y, enemy.x, enemy.y, one.vx, one.vy, enemy.dx, enemy.dy, slot);
}

void Shoot(World& world, std::int32_t x, std::int32_t y, std::int32_t style) {
    const std::int32_t kind = kEnemyShot;
    FireBullet(world, kind, x, y, style);
}

// Counts the fire counter up; true when the volley is due, the counter then
// starting again from 0.
bool VolleyDue(Enemy& enemy, std::int32_t interval) {
    enemy.timer += 1;
    if (enemy.timer != interval) return false;
    enemy.timer = 0;
    return true;
}

// The gun point's x is the middle of the image; an odd width puts it on a
// half, which goes to the even neighbour.
std::int32_t GunX(const Enemy& enemy, std::int32_t w) {
    return RoundToInt(static_cast<long double>(enemy.x) + w / 2.0L);
}

// Type 1 walks its gun down its body and fires a seven-volley cycle: a silent
// volley, three single right-hand shots, then three pairs.
void TypeOne(World& world, Enemy& enemy, std::int32_t w, std::int32_t h) {
    const bool due = VolleyDue(enemy, kEnemyTypes[1].fireInterval);
    const std::int32_t gx = GunX(enemy, w);
    const std::int32_t gy =
        RoundToInt(static_cast<long double>(enemy.y) + (enemy.gunPhase & 3) * h / 4.0L);
    if (!due) return;
    RaiseEvent(world, enemy, world.EventSlot[2]);
    if (enemy.gunPhase != 0) Shoot(world, gx + 10, gy, kDownRightStyle);
    if (enemy.gunPhase > 3) Shoot(world, gx - 10, gy, kDownLeftStyle);
    enemy.gunPhase += 1;
    if (enemy.gunPhase > 6) enemy.gunPhase = 0;
}

// Types 2 and 3 fire one straight shot per volley from their bottom edge, the
// two guns taking turns, the left one (gx - 10) first.
void TwinGuns(World& world, Enemy& enemy, std::int32_t w, std::int32_t h, std::int32_t interval) {
    const bool due = VolleyDue(enemy, interval);
    const std::int32_t gx = GunX(enemy, w);
    const std::int32_t gy = enemy.y + h;
    if (!due) return;
    RaiseEvent(world, enemy, world.EventSlot[2]);
    if (enemy.gunPhase != 0) Shoot(world, gx, gy, kStraightDownStyle);
    if (enemy.gunPhase != -1) Shoot(world, gx - 10, gy, kStraightDownStyle);
    enemy.gunPhase = ~enemy.gunPhase;
}

// Type 3 weaves: its speed runs as a triangle wave between -20 and +20,
// starting to the left.
void Swing(Enemy& enemy) {
    if (enemy.swing == 0) enemy.swing = -1;
    if (enemy.dx == -kSwingLimit)
        enemy.swing = 1;
    else if (enemy.dx == kSwingLimit)
        enemy.swing = -1;
    enemy.dx += enemy.swing;
}

void StateStep(World& world, Enemy& enemy, std::int32_t w, std::int32_t h) {
    switch (enemy.state) {
    case -1:
        enemy.timer -= 1;
        if (enemy.timer == 0) enemy.state = 0;
        break;
    case 1:
        TypeOne(world, enemy, w, h);
        break;
    case 2:
        TwinGuns(world, enemy, w, h, kEnemyTypes[2].fireInterval);
        break;
    case 3:
        Swing(enemy);
        TwinGuns(world, enemy, w, h, kEnemyTypes[3].fireInterval);
        break;
    default:
        break;
    }
}

// Scores can only grow; saturating keeps an absurdly long game from wrapping
// a score negative.
void AddScore(Player& player, std::int32_t points) {
    const std::int64_t sum = static_cast<std::int64_t>(player.score) + points;
    constexpr std::int64_t top = std::numeric_limits<std::int32_t>::max();
    constexpr std::int64_t bottom = std::numeric_limits<std::int32_t>::min();
    player.score = static_cast<std::int32_t>(sum > top ? top : (sum < bottom ? bottom : sum));
}

bool Inside(const Enemy& enemy, std::int32_t w, std::int32_t h, const Bullet& shot) {
    return enemy.x < shot.x && enemy.x + w > shot.x && enemy.y < shot.y && enemy.y + h > shot.y;
}

// The first player shot inside the enemy's box hits it and becomes an
// explosion drifting with it; at most one hit per enemy per frame.
void HitScan(World& world, Enemy& enemy, std::int32_t w, std::int32_t h) {
    for (int b = 0; b <= kLastBullet; ++b) {
        Bullet& shot = world.bullets[b];
        if (shot.kind != kPlayerShot) continue;
        if (!Inside(enemy, w, h, shot) || enemy.hitPoints <= 0) continue;

        RaiseEvent(world, enemy, world.EventSlot[3]);
        if (shot.image != kMissileImage) {
            enemy.hitPoints -= kGunDamage;
            shot.image = kGunBlastImage;
        } else {
            enemy.hitPoints -= kMissileDamage;
            shot.image = kMissileBlastImage;
        }
        shot.kind = kExplosion;
        shot.dx = enemy.dx;
        shot.dy = enemy.dy;

        // Only the killing hit touches the timer: a surviving enemy keeps
        // its fire rhythm, since the fire tests look for an exact count.
        if (enemy.hitPoints <= 0 && enemy.state != -1) {
            RaiseEvent(world, enemy, world.EventSlot[4]);
            if (shot.owner == 1 || shot.owner == 2)
                AddScore(world.players[shot.owner], TypeOf(enemy.state).points);
            enemy.state = -1;
            enemy.timer = kExplosionTime;
        }
        return;
    }
}

} // namespace

std::int32_t CountEnemies(const World& world) {
    std::int32_t count = 0;
    for (int slot = 0; slot <= kLastEnemySlot; ++slot)
        if (world.enemies[slot].state != 0) ++count;
    return count;
}

void SpawnEnemy(World& world, const std::int32_t& x, const std::int32_t& y,
                const std::int32_t& type, Random& random) {
    // The lowest free slot from 1; slot 50 is taken whatever it holds, which
    // under the cap of 15 never happens.
    int slot = 1;
    while (slot < kLastEnemySlot && world.enemies[slot].state != 0)
        ++slot;

    Enemy& enemy = world.enemies[slot];
    enemy.state = type;
    enemy.x = x;
    enemy.y = y;
    enemy.dy = 2;
    enemy.dx = 0;
    enemy.image = type;
    // A type that is not one of the three keeps the hit points the slot held.
    if (type >= 1 && type <= 3) {
        const EnemyType& row = kEnemyTypes[type];
        enemy.hitPoints = row.hitPoints;
        enemy.dy = row.fallSpeed;
        // Type 2 falls at 2, 3 or 4 for the rest of its life.
        if (row.fallSpread > 0) enemy.dy += DrawBelow(random, row.fallSpread);
    }
    enemy.timer = 0;
    enemy.gunPhase = 0;
    enemy.swing = 0;
}

void EnemyGenerator(World& world, Random& random) {
    if (world.SpawnCountdown == 0) {
        world.SpawnCountdown = kSpawnRetry;
        if (CountEnemies(world) < kEnemyCap) {
            const std::int32_t type = DrawBelow(random, 3.0) + 1;
            std::int32_t w = 0;
            std::int32_t h = 0;
            EnemySize(world, type, w, h);
            const std::int32_t y = -h; // bottom edge on the top of the screen: out of sight
            // Anywhere across the width; a late x leaves it mostly off the right edge.
            const std::int32_t x = DrawBelow(random, world.sizes.screenWidth);
            SpawnEnemy(world, x, y, type, random);
            world.SpawnCountdown = DrawBelow(random, 35.0) + 10; // 10 .. 44
        }
    }
    world.SpawnCountdown -= 1;
}

void EnemyAI(World& world) {
    for (int slot = 0; slot <= kLastEnemySlot; ++slot) {
        Enemy& enemy = world.enemies[slot];
        if (enemy.state == 0) continue;
        std::int32_t w = 0;
        std::int32_t h = 0;
        EnemySize(world, enemy.image, w, h);

        StateStep(world, enemy, w, h);

        // Wrecks keep drifting with the speed they had.
        enemy.x += enemy.dx;
        enemy.y += enemy.dy;
        if (enemy.y > world.sizes.screenHeight) enemy.state = 0; // gone below: no score

        // A slot freed this turn is empty: nothing left to hit.
        if (enemy.state == 0) continue;
        HitScan(world, enemy, w, h);
    }
}
