// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// Enemy behaviour: volleys, the type-3 weave, moving off the bottom, and the
// players' shots hitting, destroying and scoring.
#include "world/enemies.h"
#include "world_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

namespace {

// An enemy of the given type at rest, as freshly spawned but not falling, so
// a test can aim at a fixed box.
Enemy& Put(World& world, int slot, int type, int x, int y) {
    const int hitPoints[] = {0, 12, 7, 5};
    Enemy& e = world.enemies[slot];
    e = Enemy{};
    e.state = type;
    e.image = type;
    e.hitPoints = hitPoints[type];
    e.x = x;
    e.y = y;
    return e;
}

// A player shot (image 1) or missile (image 4) at a point.
Bullet& Shot(World& world, int entry, int x, int y, int owner, int image = 1) {
    Bullet& b = world.bullets[entry];
    b = Bullet{x, y, 0, -10, image, image == 1 ? 1 : 0, kPlayerShot, 15, owner};
    return b;
}

// Every field, so one comparison shows the whole entry on failure.
auto Fields(const Bullet& b) {
    return std::tuple{b.x, b.y, b.dx, b.dy, b.image, b.animated, b.kind, b.timer, b.owner};
}

void RunFrames(World& world, int frames) {
    for (int i = 0; i < frames; ++i)
        EnemyAI(world);
}

// Takes the enemy shots fired so far out of the pool.
std::vector<Bullet> TakeEnemyShots(World& world) {
    std::vector<Bullet> shots;
    for (Bullet& b : world.bullets) {
        if (b.kind != kEnemyShot) continue;
        shots.push_back(b);
        b.kind = kFree;
    }
    return shots;
}

} // namespace

TEST(EnemyFire, TypeOneRunsASevenVolleyCycleStartingSilent) {
    WorldSizes sizes = TestSizes();
    World world = TestWorld(sizes);
    Enemy& e = Put(world, 1, 1, 100, 100); // 30x20: guns at x 125 (style 7) and 105 (style 8)
    // Per volley: how many shots, and the gun's y (top, 1/4, 1/2, 3/4 of h).
    const int count[] = {0, 1, 1, 1, 2, 2, 2, 0, 1};
    const int gunY[] = {0, 105, 110, 115, 100, 105, 110, 0, 105};
    for (int frame = 1; frame <= 90; ++frame) {
        EnemyAI(world);
        std::vector<Bullet> shots = TakeEnemyShots(world);
        if (frame % 10 != 0) {
            EXPECT_TRUE(shots.empty()) << "frame " << frame;
            continue;
        }
        const int volley = frame / 10 - 1;
        EXPECT_EQ(e.gunPhase, (volley + 1) % 7); // the silent volley advances it too
        ASSERT_EQ(shots.size(), static_cast<size_t>(count[volley])) << "frame " << frame;
        if (shots.empty()) continue;
        EXPECT_EQ(Fields(shots[0]), Fields(Bullet{125, gunY[volley], 6, 5, 6, 0, kEnemyShot, 15}));
        if (shots.size() < 2) continue;
        EXPECT_EQ(Fields(shots[1]), Fields(Bullet{105, gunY[volley], -5, 6, 6, 0, kEnemyShot, 15}));
    }
}

TEST(EnemyFire, TwinGunsTakeTurnsLeftGunFirst) {
    WorldSizes sizes = TestSizes();
    World world = TestWorld(sizes);
    Put(world, 1, 2, 100, 50); // 41x30: gun x round(120.5) = 120, bottom edge 80
    std::vector<int> xs;
    for (int frame = 1; frame <= 90; ++frame) {
        EnemyAI(world);
        for (const Bullet& b : TakeEnemyShots(world)) {
            EXPECT_EQ(frame % 30, 0);
            EXPECT_EQ(b.y, 80);
            EXPECT_EQ(b.dy, 12);
            EXPECT_EQ(b.dx, 0);
            xs.push_back(b.x);
        }
    }
    EXPECT_EQ(xs, (std::vector<int>{110, 120, 110}));

    // Type 3 swings before it fires, every 10 frames: x is 300 - 45, 300 - 190
    // and 300 - 345 at its first three volleys; 24 wide, gun at x + 12.
    World weaver = TestWorld(sizes);
    Put(weaver, 1, 3, 300, 50);
    xs.clear();
    for (int frame = 1; frame <= 30; ++frame) {
        EnemyAI(weaver);
        for (const Bullet& b : TakeEnemyShots(weaver)) {
            EXPECT_EQ(frame % 10, 0);
            EXPECT_EQ(b.y, 74);
            xs.push_back(b.x);
        }
    }
    EXPECT_EQ(xs, (std::vector<int>{257, 122, -43}));
}

TEST(EnemyFire, GunPointHalvesRoundToEven) {
    WorldSizes sizes = TestSizes();
    // Type 2 is 41 wide: x + 20.5 goes to the even neighbour.
    for (int x : {100, 101}) {
        World world = TestWorld(sizes);
        Enemy& e = Put(world, 1, 2, x, 0);
        e.timer = 29;
        e.gunPhase = -1; // the right-hand gun, at gx itself
        EnemyAI(world);
        std::vector<Bullet> shots = TakeEnemyShots(world);
        ASSERT_EQ(shots.size(), 1u);
        EXPECT_EQ(shots[0].x, x == 100 ? 120 : 122);
    }
    // A type 1 image 31x22: gx = x + 15.5 and quarter heights of 5.5 and 16.5.
    sizes.enemy[1] = {31, 22};
    struct Case {
        int x, y, phase, shotX, shotY;
    };
    for (Case c : {Case{100, 100, 1, 126, 106}, Case{101, 101, 1, 126, 106},
                   Case{100, 100, 3, 126, 116}, Case{101, 101, 3, 126, 118}}) {
        World world = TestWorld(sizes);
        Enemy& e = Put(world, 1, 1, c.x, c.y);
        e.timer = 9;
        e.gunPhase = c.phase;
        EnemyAI(world);
        std::vector<Bullet> shots = TakeEnemyShots(world);
        ASSERT_EQ(shots.size(), 1u);
        EXPECT_EQ(shots[0].x, c.shotX) << "x " << c.x << " phase " << c.phase;
        EXPECT_EQ(shots[0].y, c.shotY) << "y " << c.y << " phase " << c.phase;
    }
}

TEST(EnemySwing, TypeThreeWeavesBetweenMinusAndPlusTwentyEveryEightyFrames) {
    WorldSizes sizes = TestSizes();
    World world = TestWorld(sizes);
    Enemy& e = Put(world, 1, 3, 1000, 100);
    std::vector<int> dx(1, 0), x(1, 1000);
    for (int frame = 1; frame <= 400; ++frame) {
        EnemyAI(world);
        TakeEnemyShots(world);
        dx.push_back(e.dx);
        x.push_back(e.x);
    }
    EXPECT_EQ(*std::min_element(dx.begin(), dx.end()), -20);
    EXPECT_EQ(*std::max_element(dx.begin(), dx.end()), 20);
    EXPECT_EQ(dx[1], -1); // first to the left
    EXPECT_EQ(dx[20], -20);
    EXPECT_EQ(dx[21], -19);
    EXPECT_EQ(dx[60], 20);
    EXPECT_EQ(dx[80], 0);
    EXPECT_EQ(x[40], 600); // 400 pixels left, then all the way back
    EXPECT_EQ(x[80], 1000);
    for (int frame = 1; frame + 80 <= 400; ++frame)
        EXPECT_EQ(dx[frame + 80], dx[frame]);
}

TEST(EnemyHits, BoxEdgesAreStrict) {
    WorldSizes sizes = TestSizes();
    struct Case {
        int x, y;
        bool hit;
    };
    // Type 1 at (100, 100), 30x20.
    for (Case c : {Case{100, 110, false}, Case{101, 110, true}, Case{130, 110, false},
                   Case{129, 110, true}, Case{115, 100, false}, Case{115, 101, true},
                   Case{115, 120, false}, Case{115, 119, true}}) {
        World world = TestWorld(sizes);
        Enemy& e = Put(world, 1, 1, 100, 100);
        Bullet& b = Shot(world, 1, c.x, c.y, 1);
        EnemyAI(world);
        EXPECT_EQ(b.kind, c.hit ? kExplosion : kPlayerShot) << c.x << "," << c.y;
        EXPECT_EQ(e.hitPoints, c.hit ? 11 : 12) << c.x << "," << c.y;
    }
}

TEST(EnemyHits, GunShotsTakeOneMissilesFiveAndKillsScoreByType) {
    WorldSizes sizes = TestSizes();
    struct Case {
        int type;
        std::vector<int> shots; // images, one per frame; the last one kills
        int score;
    };
    const std::vector<Case> cases = {{1, std::vector<int>(12, 1), 400},
                                     {1, {4, 4, 1, 1}, 400},
                                     {2, {4, 4}, 300},
                                     {2, {4, 1, 1}, 300},
                                     {3, {4}, 200},
                                     {3, {1, 1, 1, 1, 1}, 200}};
    // A wide type 3, so that its weave to the left keeps it over the shot.
    sizes.enemy[3] = {400, 24};
    for (const Case& c : cases) {
        World world = TestWorld(sizes);
        Enemy& e = Put(world, 1, c.type, 200, 200);
        int left = e.hitPoints;
        for (size_t i = 0; i < c.shots.size(); ++i) {
            EXPECT_EQ(e.state, c.type) << "type " << c.type << " shot " << i;
            Bullet& b = Shot(world, 1, 210, 210, 1, c.shots[i]);
            EnemyAI(world);
            left -= c.shots[i] == 4 ? 5 : 1;
            EXPECT_EQ(e.hitPoints, left);
            EXPECT_EQ(b.kind, kExplosion);
            EXPECT_EQ(b.image, c.shots[i] == 4 ? 8 : 7);
        }
        EXPECT_EQ(e.state, -1) << "type " << c.type;
        EXPECT_EQ(e.timer, 20);
        EXPECT_EQ(world.players[1].score, c.score);
    }
}

TEST(EnemyHits, OneHitPerEnemyPerFrameLowestSlotsFirst) {
    WorldSizes sizes = TestSizes();
    World world = TestWorld(sizes);
    Enemy& e = Put(world, 1, 1, 100, 100);
    Bullet& early = Shot(world, 3, 110, 110, 1);
    Bullet& late = Shot(world, 7, 112, 112, 1);
    EnemyAI(world);
    EXPECT_EQ(early.kind, kExplosion);
    EXPECT_EQ(late.kind, kPlayerShot);
    EXPECT_EQ(late.image, 1);
    EXPECT_EQ(e.hitPoints, 11);
    EnemyAI(world);
    EXPECT_EQ(late.kind, kExplosion);
    EXPECT_EQ(e.hitPoints, 10);

    // One shot inside two overlapping enemies hits only the lower slot.
    World overlap = TestWorld(sizes);
    Enemy& lower = Put(overlap, 2, 1, 100, 100);
    Enemy& upper = Put(overlap, 5, 1, 100, 100);
    Shot(overlap, 1, 110, 110, 1);
    EnemyAI(overlap);
    EXPECT_EQ(lower.hitPoints, 11);
    EXPECT_EQ(upper.hitPoints, 12);
}

TEST(EnemyHits, KillIsCreditedToTheKillingShotsOwnerOnly) {
    WorldSizes sizes = TestSizes();
    World world = TestWorld(sizes);
    world.players[2].score = 1000;
    Enemy& e = Put(world, 1, 2, 100, 100); // 7 hit points
    Shot(world, 1, 110, 110, 1, 4);
    EnemyAI(world);
    Shot(world, 1, 110, 110, 1);
    EnemyAI(world);
    Shot(world, 1, 110, 110, 2);
    EnemyAI(world);
    EXPECT_EQ(e.state, -1);
    EXPECT_EQ(world.players[1].score, 0);
    EXPECT_EQ(world.players[2].score, 1300);

    // A shot with no player behind it destroys but scores for nobody.
    for (int owner : {0, 3, -1, 1000000}) {
        World stray = TestWorld(sizes);
        Enemy& target = Put(stray, 1, 3, 100, 100);
        Shot(stray, 1, 110, 110, owner, 4);
        EnemyAI(stray);
        EXPECT_EQ(target.state, -1) << owner;
        for (const Player& p : stray.players)
            EXPECT_EQ(p.score, 0) << owner;
    }
}

TEST(EnemyHits, ExplosionEntryDriftsWithTheEnemyAndKeepsTheRest) {
    WorldSizes sizes = TestSizes();
    World world = TestWorld(sizes);
    Enemy& e = Put(world, 1, 1, 100, 100);
    e.dx = 3;
    e.dy = 2;
    Bullet& gun = Shot(world, 1, 110, 110, 2);
    EnemyAI(world);
    EXPECT_EQ(Fields(gun), Fields(Bullet{110, 110, 3, 2, 7, 1, kExplosion, 15, 2}));

    Bullet& missile = Shot(world, 2, 115, 112, 1, 4);
    missile.timer = 9;
    EnemyAI(world);
    EXPECT_EQ(Fields(missile), Fields(Bullet{115, 112, 3, 2, 8, 0, kExplosion, 9, 1}));
    EXPECT_EQ(e.hitPoints, 6);
}

TEST(EnemyHits, WreckExplodesTwentyFramesDriftingWhileShotsPassThrough) {
    WorldSizes sizes = TestSizes();
    World world = TestWorld(sizes);
    Enemy& e = Put(world, 1, 1, 100, 100);
    e.hitPoints = 1;
    e.dx = 3;
    e.dy = 2;
    Shot(world, 1, 110, 110, 1);
    EnemyAI(world); // the killing frame: shown exploding from here
    ASSERT_EQ(e.state, -1);
    EXPECT_EQ(e.timer, 20);
    for (int frame = 2; frame <= 20; ++frame) {
        Bullet& through = Shot(world, 2, e.x + 10, e.y + 10, 1);
        const int x = e.x;
        EnemyAI(world);
        EXPECT_EQ(through.kind, kPlayerShot) << "frame " << frame;
        EXPECT_EQ(e.state, -1) << "frame " << frame;
        EXPECT_EQ(e.timer, 21 - frame);
        EXPECT_EQ(e.x, x + 3);
    }
    EXPECT_EQ(world.players[1].score, 400); // scored once
    EnemyAI(world);
    EXPECT_EQ(e.state, 0);
}

TEST(EnemyHits, SurvivingEnemyKeepsItsFireRhythm) {
    WorldSizes sizes = TestSizes();
    World world = TestWorld(sizes);
    Enemy& one = Put(world, 1, 1, 100, 100);
    Enemy& two = Put(world, 2, 2, 300, 100);
    RunFrames(world, 2);
    Shot(world, 1, 110, 110, 1);
    Shot(world, 2, 310, 110, 1);
    EnemyAI(world);
    EXPECT_EQ(one.hitPoints, 11);
    EXPECT_EQ(two.hitPoints, 6);
    EXPECT_EQ(one.timer, 3);
    EXPECT_EQ(two.timer, 3);
    RunFrames(world, 7); // frame 10: type 1's volley
    EXPECT_EQ(one.timer, 0);
    EXPECT_EQ(one.gunPhase, 1);
    TakeEnemyShots(world);
    RunFrames(world, 20); // frame 30: type 2's
    EXPECT_EQ(two.timer, 0);
    EXPECT_EQ(two.gunPhase, -1);
    EXPECT_EQ(TakeEnemyShots(world).size(), 3u); // type 1's 20th-frame shot, its 30th, type 2's
}

TEST(EnemyMove, LeavingTheBottomFreesTheSlotWithoutScore) {
    WorldSizes sizes = TestSizes(); // 480 high
    World world = TestWorld(sizes);
    Enemy& kept = Put(world, 1, 1, 100, 478);
    kept.dy = 2;
    Enemy& gone = Put(world, 2, 1, 200, 479);
    gone.dy = 2;
    Enemy& wreck = Put(world, 3, 1, 300, 479);
    wreck.state = -1;
    wreck.timer = 10;
    wreck.dy = 2;
    Bullet& below = Shot(world, 1, 210, 490, 1); // inside where the gone enemy ends up
    Enemy& zero = Put(world, 0, 3, 0, 0);        // slot 0 is visited too
    Enemy& idle = world.enemies[6];
    idle = Enemy{7, 7, 1, 3, 0, 1, 12, 0, 0, 0}; // a free slot is left alone

    EnemyAI(world);
    EXPECT_EQ(kept.y, 480);
    EXPECT_EQ(kept.state, 1);
    EXPECT_EQ(gone.y, 481);
    EXPECT_EQ(gone.state, 0);
    EXPECT_EQ(wreck.state, 0);
    EXPECT_EQ(below.kind, kPlayerShot);
    EXPECT_EQ(world.players[1].score, 0);
    EXPECT_EQ(zero.dx, -1);
    EXPECT_EQ(idle.x, 7);
    EXPECT_EQ(idle.y, 7);
}
