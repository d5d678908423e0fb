// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The game world: both ships, the bullet pool, the enemy pool and the few
// scalars that tie a frame together.  Everything is a fixed table sized for
// the whole run; index 0 of the pools is present but never filled.
#pragma once

#include "world/sizes.h"

#include <array>
#include <cstdint>

struct Player {
    std::int32_t x = 0;  // left edge of the ship's image
    std::int32_t y = 0;  // top edge, growing downward
    std::int32_t vx = 0; // pixels per frame, unbounded
    std::int32_t vy = 0;
    std::int32_t steerX = 0; // this update's steering: -1, 0, +1
    std::int32_t steerY = 0;
    std::int32_t frame = 0; // banking frame 1..5, index into ShipImage
    std::int32_t health = 0;
    std::int32_t missiles = 0;
    std::int32_t lives = 0; // spare ships
    std::int32_t score = 0;
};

// Kept beside each Player record; entry, respawn and join never reset it.
struct PlayerControl {
    std::int32_t FireCounter = 0; // the update where it reaches 5 is a fire tick
    std::int32_t GunSide = 0;     // 0 or -1, complemented after each gun shot
    std::int32_t MissileSide = 0; // 0 or -1, likewise for missiles
    std::int32_t RespawnDelay = 0;
    std::int32_t Dead = 0;
};

enum BulletKind : std::int32_t {
    kFree = 0,
    kPlayerShot = 1,
    kEnemyShot = 2,
    kExplosion = 3,
};

// How FireBullet launches a shot: the players' two styles and the enemies'
// three.  An enemy shot of any other style falls slowly, straight down.
enum ShotStyle : std::int32_t {
    kGunStyle = 1,
    kMissileStyle = 2,
    kStraightDownStyle = 5,
    kDownRightStyle = 7,
    kDownLeftStyle = 8,
};

// The shot images, numbered as the BulletImage table is.
enum ShotImage : std::int32_t {
    kGunImage = 1, // an animated gun shot shows 1, 2, 3 in turn
    kLastGunImage = 3,
    kMissileImage = 4, // also the missile stock's icon
    kEnemyShotImage = 5,
    kDriftShotImage = 6, // an enemy shot that drifts sideways
    kGunBlastImage = 7,
    kMissileBlastImage = 8,
};

struct Bullet {
    std::int32_t x = 0; // top-left corner; also the point hit tests use
    std::int32_t y = 0;
    std::int32_t dx = 0;
    std::int32_t dy = 0;
    std::int32_t image = 0;    // index into BulletImage
    std::int32_t animated = 0; // 1: image cycles 1, 2, 3 as it is drawn
    std::int32_t kind = 0;     // BulletKind
    std::int32_t timer = 0;    // frames left, for explosions
    std::int32_t owner = 0;    // CurrentPlayer when fired: 1, 2, or 0 for enemies
};

struct Enemy {
    std::int32_t x = 0;
    std::int32_t y = 0; // negative while above the screen
    std::int32_t dx = 0;
    std::int32_t dy = 0;
    std::int32_t state = 0; // 0 free, 1..3 alive (the type), -1 exploding
    std::int32_t image = 0; // index into EnemyImage, equal to the type
    std::int32_t hitPoints = 0;
    std::int32_t timer = 0;    // alive: fire counter; exploding: frames left
    std::int32_t gunPhase = 0; // type 1: next volley 0..6; types 2, 3: 0 or -1
    std::int32_t swing = 0;    // type 3: +1 or -1 added to dx each frame
};

constexpr int kBulletCount = 1025; // entries 0..1024
constexpr int kEnemyCount = 51;    // slots 0..50
constexpr int kLastBullet = kBulletCount - 1;
constexpr int kLastEnemySlot = kEnemyCount - 1; // 50: SpawnEnemy takes it whatever it holds
constexpr int kEnemyCap = 15;                   // no spawn while this many slots are occupied

struct World {
    std::array<Player, 3> players{};        // 1 and 2
    std::array<PlayerControl, 3> control{}; // 1 and 2
    std::int32_t GameOver = 0;              // player 1 ran out of ships
    std::int32_t PlayerOneOut = 0;
    std::int32_t PlayerTwoOut = 0;

    std::array<Bullet, kBulletCount> bullets{};
    std::array<Enemy, kEnemyCount> enemies{};
    std::int32_t SpawnCountdown = 0;

    std::int32_t CurrentPlayer = 0; // whose update runs: the owner of shots fired now
    std::int32_t PlayerCount = 0;   // 2: two players; anything else: player 1 alone

    WorldSizes sizes; // measured from the images after loading

    // The event slots 1..6 that name the kind of event passed to GameEvent.
    // They are never assigned and hold 0 for the whole run.
    std::array<std::int32_t, 7> EventSlot{};
};
