// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The player ships: SetEntryValues and UpdatePlayerOne/Two, one set of rules
// with the points where the two ships differ.
#include "world/player.h"

#include "support/rounding.h"
#include "world/bullets.h"
#include "world/events.h"
#include "world/keys.h"

#include <array>
#include <cstdint>

namespace {

// What a shot event tells the hook about the ships.
enum class ShotEventArgs {
    kOwnPosition, // player 1's position twice, then zeros
    kNothing,     // eight zeros
    kBothShips,   // both positions, then both velocities
};

// How hard an enemy shot or explosion shoves a ship it strikes.
enum class KnockBack {
    kEightyFivePercent, // v + 0.85 * d
    kHalf,              // v + d / 2
};

// The two ships fly by one set of rules; these are the points where they
// differ.  Index 0 is unused so the table reads by player number.
struct ShipKeys {
    std::int32_t gun = 0;
    std::int32_t missile = 0;
    std::int32_t up = 0;
    std::int32_t down = 0;
    std::int32_t left = 0;
    std::int32_t right = 0;
};

struct ShipRules {
    ShipKeys keys;              // guns, missiles, up, down, left, right
    bool entersOnRight = false; // bottom-right corner instead of bottom-left
    std::int32_t entryVx = 0;   // moving inwards from that corner
    KnockBack knockBack = KnockBack::kHalf;
    bool raisesHitEvent = false;
    ShotEventArgs gunEventArgs = ShotEventArgs::kNothing;
    ShotEventArgs missileEventArgs = ShotEventArgs::kNothing;
    bool lastShipEndsGame = false;          // sets GameOver
    std::int32_t World::*outFlag = nullptr; // the no-lives notice for this side
};

constexpr std::array<ShipRules, 3> kRules{{
    {},
    {
        // Player 1: arrows, Space, right Alt; enters bottom left.
        .keys = {kKeySpace, kKeyRightAlt, kKeyUp, kKeyDown, kKeyLeft, kKeyRight},
        .entersOnRight = false,
        .entryVx = 80,
        .knockBack = KnockBack::kEightyFivePercent,
        .raisesHitEvent = true,
        .gunEventArgs = ShotEventArgs::kOwnPosition,
        .missileEventArgs = ShotEventArgs::kNothing,
        .lastShipEndsGame = true,
        .outFlag = &World::PlayerOneOut,
    },
    {
        // Player 2: W, S, A, D, F, G; enters bottom right.  Being struck is
        // not reported to the hook, and losing the last ship leaves the game
        // running for player 1.
        .keys = {kKeyF, kKeyG, kKeyW, kKeyS, kKeyA, kKeyD},
        .entersOnRight = true,
        .entryVx = -80,
        .knockBack = KnockBack::kHalf,
        .raisesHitEvent = false,
        .gunEventArgs = ShotEventArgs::kBothShips,
        .missileEventArgs = ShotEventArgs::kBothShips,
        .lastShipEndsGame = false,
        .outFlag = &World::PlayerTwoOut,
    },
}};

constexpr std::int32_t kShotKind = kPlayerShot;
constexpr std::int32_t kFireTick = 5; // guns, missiles and banking act every fifth update
constexpr std::int32_t kLevelFrame = 3;
constexpr std::int32_t kHitDamage = 10;
constexpr std::int32_t kRespawnFrames = 100;

// The ship's size is that of its current banking frame.  A frame with no
// image (a record never given entry values) counts as 0 by 0 rather than
// crashing.
int ShipWidth(const World& world, std::int32_t frame) {
    return SizeAt(world.sizes.ship, frame).w;
}

int ShipHeight(const World& world, std::int32_t frame) {
    return SizeAt(world.sizes.ship, frame).h;
}

// The entry values but the spare ships: a respawn uses one up, entry and join
// hand out a fresh 5.
void WriteEntryPosition(World& world, int player) {
    const ShipRules& rules = kRules[player];
    Player& p = world.players[player];
    p.frame = kLevelFrame;
    p.x = rules.entersOnRight ? world.sizes.screenWidth - ShipWidth(world, kLevelFrame) : 0;
    p.y = world.sizes.screenHeight;
    p.vx = rules.entryVx;
    p.vy = -60;
    p.missiles = 100;
    p.health = 100;
}

// Two thirds of the speed each frame; the last pixel per frame is dropped so
// a drifting ship comes to rest instead of creeping on.
std::int32_t Damp(std::int32_t v) {
    std::int32_t damped = RoundToInt(2.0L * v / 3.0L);
    if (damped == 1 || damped == -1) damped = 0;
    return damped;
}

std::int32_t KnockedBack(std::int32_t v, std::int32_t d, KnockBack rule) {
    if (rule == KnockBack::kEightyFivePercent) return RoundToInt(v + 0.85L * d);
    return RoundToInt(v + d / 2.0L);
}

void RaiseShotEvent(World& world, ShotEventArgs args, std::int32_t& slot) {
    Player& one = world.players[1];
    Player& two = world.players[2];
    std::int32_t z1 = 0, z2 = 0, z3 = 0, z4 = 0, z5 = 0, z6 = 0, z7 = 0, z8 = 0;
    switch (args) {
    case ShotEventArgs::kOwnPosition:
        GameEvent(one.x, one.y, one.x, one.y, z1, z2, z3, z4, slot);
        break;
    case ShotEventArgs::kNothing:
        GameEvent(z1, z2, z3, z4, z5, z6, z7, z8, slot);
        break;
    case ShotEventArgs::kBothShips:
        GameEvent(one.x, one.y, two.x, two.y, one.vx, one.vy, two.vx, two.vy, slot);
        break;
    }
}

void UpdatePlayer(World& world, int player, KeyQuery& keys) {
    const ShipRules& rules = kRules[player];
    Player& p = world.players[player];
    PlayerControl& c = world.control[player];

    // 1. A destroyed ship waits out its delay untouched.
    if (c.RespawnDelay > 0) {
        --c.RespawnDelay;
        return;
    }

    // 2. Delay over: bring in a spare ship, or mark the player out.  Either way
    // the update goes on, so a new ship already moves in this frame.
    if (c.Dead != 0) {
        if (p.lives > 0) {
            --p.lives;
            WriteEntryPosition(world, player);
        } else {
            if (rules.lastShipEndsGame) world.GameOver = 1;
            world.*rules.outFlag = 1;
        }
        c.Dead = 0;
    }

    // 3. Fire divider.
    ++c.FireCounter;
    const bool tick = c.FireCounter == kFireTick;
    if (tick) c.FireCounter = 0;

    // 4. Steering is decided afresh every update.
    p.steerX = 0;
    p.steerY = 0;
    bool steering = false;

    // 5. Guns, aimed from where the ship is before it steers this frame; the
    // two barrels take turns, left one first.
    if (keys.Down(rules.keys.gun) != 0) {
        const std::int32_t cx = RoundToInt(p.x + ShipWidth(world, p.frame) / 2.0L);
        if (tick) {
            if (c.GunSide != 0) FireBullet(world, kShotKind, cx, p.y, kGunStyle);
            if (c.GunSide != -1) FireBullet(world, kShotKind, cx - 10, p.y, kGunStyle);
            c.GunSide = ~c.GunSide;
            RaiseShotEvent(world, rules.gunEventArgs, world.EventSlot[5]);
        }
    }

    // 6. Missiles, likewise from two launchers in turn, while any are left.
    if (keys.Down(rules.keys.missile) != 0 && p.missiles > 0) {
        const std::int32_t cx = RoundToInt(p.x + ShipWidth(world, p.frame) / 2.0L);
        if (tick) {
            if (c.MissileSide != 0) FireBullet(world, kShotKind, cx + 10, p.y, kMissileStyle);
            if (c.MissileSide != -1) FireBullet(world, kShotKind, cx - 20, p.y, kMissileStyle);
            c.MissileSide = ~c.MissileSide;
            --p.missiles;
            RaiseShotEvent(world, rules.missileEventArgs, world.EventSlot[6]);
        }
    }

    // 7. Direction keys; a later key wins over an earlier one.  Sideways keys
    // bank the ship one frame per tick.
    if (keys.Down(rules.keys.up) != 0) {
        steering = true;
        p.steerY = -1;
    }
    if (keys.Down(rules.keys.down) != 0) {
        steering = true;
        p.steerY = 1;
    }
    if (keys.Down(rules.keys.left) != 0) {
        steering = true;
        p.steerX = -1;
        if (tick && p.frame >= 2) --p.frame;
    }
    if (keys.Down(rules.keys.right) != 0) {
        steering = true;
        p.steerX = 1;
        if (tick && p.frame <= 4) ++p.frame;
    }

    // 8. With neither sideways key held the ship eases back to level.
    const bool leftHeld = keys.Down(rules.keys.left) != 0;
    const bool rightHeld = keys.Down(rules.keys.right) != 0;
    if (!leftHeld && !rightHeld && tick) {
        if (p.frame > kLevelFrame) --p.frame;
        if (p.frame < kLevelFrame) ++p.frame;
    }

    // 9. Steering accelerates; there is no top speed.
    p.vx += p.steerX;
    p.vy += p.steerY;
    p.x += p.vx;
    p.y += p.vy;

    // 10. Keep the ship on the screen but leave its velocity alone, so a ship
    // pushed against an edge keeps its momentum.
    if (p.x < 0) p.x = 0;
    if (p.y < 0) p.y = 0;
    const int w = ShipWidth(world, p.frame);
    const int h = ShipHeight(world, p.frame);
    if (p.x + w > world.sizes.screenWidth) p.x = world.sizes.screenWidth - w;
    if (p.y + h > world.sizes.screenHeight) p.y = world.sizes.screenHeight - h;

    // 11. Drift dies away only while no direction key is held.
    if (!steering) {
        p.vx = Damp(p.vx);
        p.vy = Damp(p.vy);
    }

    // 12. Enemy shots and explosions inside the ship's box strike it, as
    // points, strictly inside, until the ship has no health left.
    const std::int32_t x1 = p.x;
    const std::int32_t y1 = p.y;
    const std::int32_t x2 = p.x + ShipWidth(world, p.frame);
    const std::int32_t y2 = p.y + ShipHeight(world, p.frame);
    for (int i = 0; i < kBulletCount; ++i) {
        Bullet& b = world.bullets[i];
        const bool hostile = b.kind == kEnemyShot || b.kind == kExplosion;
        if (!hostile || !(x1 < b.x && x2 > b.x) || !(y1 < b.y && y2 > b.y) || p.health <= 0) {
            continue;
        }
        p.health -= kHitDamage;
        b.kind = kFree;
        b.image = 0;
        // Each strike shoves the ship on its own, rounded there and then.
        p.vx = KnockedBack(p.vx, b.dx, rules.knockBack);
        p.vy = KnockedBack(p.vy, b.dy, rules.knockBack);
        if (rules.raisesHitEvent) {
            GameEvent(p.x, p.y, b.x, b.y, p.vx, p.vy, b.dx, b.dy, world.EventSlot[3]);
        }
    }

    // 13. Out of health: the wreck waits before a spare ship comes in.
    if (p.health <= 0) {
        c.Dead = 1;
        c.RespawnDelay = kRespawnFrames;
    }
}

} // namespace

void SetEntryValues(World& world, int player) {
    if (player != 1 && player != 2) return;
    WriteEntryPosition(world, player);
    world.players[player].lives = 5;
}

void UpdatePlayerOne(World& world, KeyQuery& keys) {
    UpdatePlayer(world, 1, keys);
}

void UpdatePlayerTwo(World& world, KeyQuery& keys) {
    UpdatePlayer(world, 2, keys);
}
