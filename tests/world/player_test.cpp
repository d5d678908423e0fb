// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The player ships: entry, steering, guns, missiles, hits, death and respawn.
#include "world/player.h"

#include "test_support.h"
#include "video/keyboard.h"
#include "world/bullets.h"
#include "world/world.h"
#include "world_support.h"

#include <algorithm>
#include <set>
#include <vector>

namespace {

class PlayerShip : public ::testing::Test {
  protected:
    void SetUp() override {
        SetEntryValues(world, 1);
        SetEntryValues(world, 2);
    }

    void Hold(int code) { keyboard.KeyState[code] = -1; }
    void Release(int code) { keyboard.KeyState[code] = 0; }

    void One(int updates = 1) {
        for (int i = 0; i < updates; ++i) {
            world.CurrentPlayer = 1;
            UpdatePlayerOne(world, keyboard);
        }
    }
    void Two(int updates = 1) {
        for (int i = 0; i < updates; ++i) {
            world.CurrentPlayer = 2;
            UpdatePlayerTwo(world, keyboard);
        }
    }

    // Parks a ship at rest where nothing clamps it.
    Player& Park(int n, std::int32_t x, std::int32_t y) {
        Player& p = world.players[n];
        p.x = x;
        p.y = y;
        p.vx = 0;
        p.vy = 0;
        return p;
    }

    Bullet& Put(int i, std::int32_t kind, std::int32_t x, std::int32_t y, std::int32_t dx = 0,
                std::int32_t dy = 0) {
        world.bullets[i] = Bullet{x, y, dx, dy, 5, 0, kind, 15, 0};
        return world.bullets[i];
    }

    // Player shots in ascending pool order, as (x, y, image).
    std::vector<std::array<std::int32_t, 3>> Shots() const {
        std::vector<std::array<std::int32_t, 3>> out;
        for (const Bullet& b : world.bullets) {
            if (b.kind == kPlayerShot) out.push_back({b.x, b.y, b.image});
        }
        return out;
    }

    SdlScreen screen; // for the key presses that go through SDL's queue
    World world = TestWorld();
    Keyboard keyboard;
};

using Shot = std::array<std::int32_t, 3>;
using Motion = std::array<std::int32_t, 4>; // x, y, vx, vy

Motion MotionOf(const Player& p) {
    return {p.x, p.y, p.vx, p.vy};
}

// Every field of a record, in its order.
std::array<std::int32_t, 11> Fields(const Player& p) {
    return {p.x,     p.y,      p.vx,       p.vy,    p.steerX, p.steerY,
            p.frame, p.health, p.missiles, p.lives, p.score};
}

TEST_F(PlayerShip, EntryValuesPutTheShipsInTheBottomCorners) {
    world.sizes.ship[3] = {44, 50}; // player 2's corner follows the level frame
    world.players[2].score = 1234;
    world.control[2] = PlayerControl{3, -1, -1, 7, 1};
    SetEntryValues(world, 2);
    using F = std::array<std::int32_t, 11>;
    EXPECT_EQ(Fields(world.players[2]), (F{640 - 44, 480, -80, -60, 0, 0, 3, 100, 100, 5, 1234}));
    EXPECT_EQ(world.control[2].FireCounter, 3); // control state is never reset
    EXPECT_EQ(world.control[2].RespawnDelay, 7);
    EXPECT_EQ(Fields(world.players[1]), (F{0, 480, 80, -60, 0, 0, 3, 100, 100, 5, 0}));
}

TEST_F(PlayerShip, DriftDampsToTwoThirdsAndStops) {
    std::vector<std::int32_t> vx, vy;
    for (int i = 0; i < 10; ++i) {
        One();
        vx.push_back(world.players[1].vx);
        vy.push_back(world.players[1].vy);
    }
    EXPECT_EQ(vx, (std::vector<std::int32_t>{53, 35, 23, 15, 10, 7, 5, 3, 2, 0}));
    EXPECT_EQ(vy, (std::vector<std::int32_t>{-40, -27, -18, -12, -8, -5, -3, -2, 0, 0}));
    EXPECT_EQ(world.players[1].x, 80 + 53 + 35 + 23 + 15 + 10 + 7 + 5 + 3 + 2);
    EXPECT_EQ(world.players[1].y, 480 - 60 - 40 - 27 - 18 - 12 - 8 - 5 - 3 - 2);

    Two();
    EXPECT_EQ(MotionOf(world.players[2]), (Motion{600 - 80, 480 - 60, -53, -40}));
}

TEST_F(PlayerShip, GunsAlternateBarrelsEveryFifthUpdate) {
    Park(1, 300, 400);
    // A real key press through SDL's queue, picked up by the first KeyDown.
    SDL_Event press{};
    press.type = SDL_KEYDOWN;
    press.key.keysym.sym = SDLK_SPACE;
    ASSERT_EQ(SDL_PushEvent(&press), 0);

    One(4);
    EXPECT_TRUE(Shots().empty());
    One();
    EXPECT_EQ(Shots(), (std::vector<Shot>{{310, 400, 1}}));
    EXPECT_EQ(world.bullets[1].owner, 1);
    One(5);
    EXPECT_EQ(Shots(), (std::vector<Shot>{{310, 400, 1}, {320, 400, 1}}));
    One(5);
    EXPECT_EQ(Shots().size(), 3u);
    EXPECT_EQ(Shots()[2][0], 310);

    // A tap shorter than the divider fires nothing.
    Release(kKeySpace);
    One(1);
    Hold(kKeySpace);
    One(3);
    Release(kKeySpace);
    One(1);
    EXPECT_EQ(Shots().size(), 3u);
}

TEST_F(PlayerShip, MissilesShareTheTickAndRunOut) {
    Park(1, 300, 400).missiles = 2;
    Hold(kKeySpace);
    Hold(kKeyRightAlt);
    One(5);
    EXPECT_EQ(Shots(), (std::vector<Shot>{{310, 400, 1}, {300, 400, 4}}));
    EXPECT_EQ(world.players[1].missiles, 1);
    One(5);
    EXPECT_EQ(Shots().back(), (Shot{330, 400, 4}));
    EXPECT_EQ(world.players[1].missiles, 0);
    EXPECT_EQ(world.control[1].MissileSide, 0);

    One(10); // guns go on, the empty launcher does nothing
    EXPECT_EQ(Shots().size(), 6u);
    EXPECT_EQ(world.players[1].missiles, 0);
    EXPECT_EQ(world.control[1].MissileSide, 0);
}

TEST_F(PlayerShip, GunsAimFromBeforeTheMoveAndRoundTiesToEven) {
    world.sizes.ship[3] = {41, 50};
    world.sizes.ship[4] = {61, 30};
    Player& p = Park(1, 100, 400);
    p.vx = 9;
    p.vy = -9;
    world.control[1].FireCounter = 4;
    Hold(kKeySpace);
    Hold(kKeyRight); // banks to frame 4 on this tick, after the gun has aimed
    One();
    EXPECT_EQ(p.frame, 4);
    EXPECT_EQ(Shots(), (std::vector<Shot>{{110, 400, 1}})); // round(120.5) = 120
    EXPECT_EQ(MotionOf(p), (Motion{110, 391, 10, -9}));

    Release(kKeyRight);
    Park(1, 101, 400).frame = 3;
    world.control[1].FireCounter = 4;
    One();
    EXPECT_EQ(Shots().back(), (Shot{122, 400, 1})); // round(121.5) = 122, second barrel
}

TEST_F(PlayerShip, SideKeysBankOnTicksAndReleaseLevels) {
    Player& p = Park(1, 300, 200);
    Hold(kKeyLeft);
    One(4);
    EXPECT_EQ(p.frame, 3);
    One();
    EXPECT_EQ(p.frame, 2);
    One(10);
    EXPECT_EQ(p.frame, 1); // never past hard left
    Release(kKeyLeft);
    One(5);
    EXPECT_EQ(p.frame, 2);
    One(10);
    EXPECT_EQ(p.frame, 3);

    Hold(kKeyRight);
    One(15);
    EXPECT_EQ(p.frame, 5);
    Release(kKeyRight);
    One(5);
    EXPECT_EQ(p.frame, 4);

    // Both together: one down and one up again, and no levelling meanwhile.
    Hold(kKeyLeft);
    Hold(kKeyRight);
    for (std::int32_t from : {1, 2, 4, 5}) {
        p.frame = from;
        One(5);
        EXPECT_EQ(p.frame, from == 1 ? 2 : from) << from;
        EXPECT_EQ(p.steerX, 1);
    }
}

TEST_F(PlayerShip, SteeringAcceleratesAndSuspendsDamping) {
    Player& p = Park(1, 300, 200);
    p.vx = 10;
    Hold(kKeyUp);
    One();
    EXPECT_EQ(MotionOf(p), (Motion{310, 199, 10, -1})); // up alone keeps the sideways drift
    Hold(kKeyDown);                                     // the later key wins
    One();
    EXPECT_EQ(p.steerY, 1);
    EXPECT_EQ(p.vy, 0);
    Release(kKeyUp);
    Release(kKeyDown);
    One();
    EXPECT_EQ(p.steerX, 0);
    EXPECT_EQ(p.steerY, 0);
    EXPECT_EQ(p.vx, 7);
}

TEST_F(PlayerShip, EdgesStopTheShipButNotItsVelocity) {
    Player& p = Park(1, 600, 200);
    p.vx = 50;
    Hold(kKeyRight);
    One(10);
    EXPECT_EQ(MotionOf(p), (Motion{600, 200, 60, 0}));
    Release(kKeyRight);
    std::vector<std::int32_t> vx;
    for (int i = 0; i < 9; ++i) {
        One();
        vx.push_back(p.vx);
        EXPECT_EQ(p.x, 600);
    }
    EXPECT_EQ(vx, (std::vector<std::int32_t>{40, 27, 18, 12, 8, 5, 3, 2, 0}));

    // Holding left only takes one off per frame: the ship leaves the edge
    // only once its velocity has turned.
    p.vx = 3;
    Hold(kKeyLeft);
    One(3);
    EXPECT_EQ(p.x, 600);
    One();
    EXPECT_EQ(MotionOf(p), (Motion{599, 200, -1, 0}));
    Release(kKeyLeft);

    // The top and left edges, and the clamp uses the frame after banking.
    Park(1, 2, 3).vx = -9;
    p.vy = -9;
    One();
    EXPECT_EQ(MotionOf(p), (Motion{0, 0, -6, -6}));
    world.sizes.ship[4] = {60, 30};
    Park(1, 590, 200).frame = 3;
    world.control[1].FireCounter = 4;
    Hold(kKeyRight);
    One();
    EXPECT_EQ(p.frame, 4);
    EXPECT_EQ(p.x, 580);
}

TEST_F(PlayerShip, HitBoxIsStrictAndFollowsTheBankingFrame) {
    Player& p = Park(1, 100, 200); // box 100..140 by 200..250
    Put(1, kEnemyShot, 100, 225);
    Put(2, kEnemyShot, 140, 225);
    Put(3, kEnemyShot, 120, 200);
    Put(4, kEnemyShot, 120, 250);
    One();
    EXPECT_EQ(p.health, 100);
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(world.bullets[i].kind, kEnemyShot) << i;

    Put(5, kEnemyShot, 101, 201);
    Put(6, kEnemyShot, 139, 249);
    One();
    EXPECT_EQ(p.health, 80);
    EXPECT_EQ(world.bullets[5].kind, kFree);
    EXPECT_EQ(world.bullets[5].image, 0);
    EXPECT_EQ(world.bullets[6].kind, kFree);

    world.bullets = {};
    world.sizes.ship[4] = {60, 30};
    Park(1, 100, 200);
    Put(7, kEnemyShot, 150, 210); // only inside the banked frame's box
    world.control[1].FireCounter = 4;
    Hold(kKeyRight);
    One();
    EXPECT_EQ(p.frame, 4);
    EXPECT_EQ(p.health, 70);
}

TEST_F(PlayerShip, OnlyEnemyShotsAndExplosionsStrike) {
    Player& p = Park(1, 100, 200);
    Put(1, kPlayerShot, 120, 220).owner = 1;
    Put(2, kPlayerShot, 121, 220).owner = 2;
    Put(3, kFree, 122, 220);
    Put(4, kExplosion, 123, 220).image = 7;
    One();
    EXPECT_EQ(p.health, 90);
    EXPECT_EQ(world.bullets[1].kind, kPlayerShot);
    EXPECT_EQ(world.bullets[2].kind, kPlayerShot);
    EXPECT_EQ(world.bullets[3].image, 5);
    EXPECT_EQ(world.bullets[4].kind, kFree);
    EXPECT_EQ(world.bullets[4].image, 0);

    Player& two = Park(2, 300, 200);
    Put(5, kPlayerShot, 320, 220).owner = 2;
    Put(6, kEnemyShot, 321, 220);
    Two();
    EXPECT_EQ(two.health, 90);
    EXPECT_EQ(world.bullets[5].kind, kPlayerShot);
    EXPECT_EQ(world.bullets[6].kind, kFree);
}

TEST_F(PlayerShip, StrikesStopAtZeroHealthAndDestroyTheShip) {
    Player& p = Park(1, 100, 200);
    p.health = 10;
    Put(3, kEnemyShot, 110, 210);
    Put(7, kEnemyShot, 111, 211);
    One();
    EXPECT_EQ(p.health, 0);
    EXPECT_EQ(world.bullets[3].kind, kFree);
    EXPECT_EQ(world.bullets[7].kind, kEnemyShot);
    EXPECT_EQ(world.control[1].Dead, 1);
    EXPECT_EQ(world.control[1].RespawnDelay, 100);
}

TEST_F(PlayerShip, KnockBackIsRoundedPerStrike) {
    // Player 1: 0.85 of the shot's speed, each strike rounded on its own:
    // round(2.55) = 3, then round(3 + 2.55) = 6 (not round(5.1) = 5).
    Player& p = Park(1, 100, 200);
    Put(1, kEnemyShot, 110, 210, 3, 3);
    Put(2, kEnemyShot, 111, 211, -5, 3);
    One();
    EXPECT_EQ(MotionOf(p), (Motion{100, 200, -1, 6})); // vx: round(2.55), round(3 - 4.25)
    EXPECT_EQ(p.health, 80);

    // An exact half (1 + 8.5) goes to the even side.
    Park(1, 100, 200).vy = 2;
    p.vx = 1;
    Hold(kKeyUp); // no damping, so vy is 1 when struck
    Put(3, kExplosion, 110, 210, 10, 10);
    One();
    EXPECT_EQ(MotionOf(p), (Motion{101, 201, 10, 10}));
    Release(kKeyUp);

    // Player 2: half the shot's speed, ties to even: 1.5 -> 2 and 2.5 -> 2.
    Player& two = Park(2, 300, 200);
    Put(4, kEnemyShot, 310, 210, -5, 3);
    Two();
    EXPECT_EQ(MotionOf(two), (Motion{300, 200, -2, 2}));
    Park(2, 300, 200).vy = 2;
    Hold(kKeyW);
    Put(5, kEnemyShot, 310, 210, 0, 3);
    Two();
    EXPECT_EQ(two.vy, 2);
}

TEST_F(PlayerShip, DestroyedShipWaitsThenComesBackFromItsCorner) {
    Player& p = Park(1, 300, 200);
    p.health = 10;
    p.score = 777;
    p.missiles = 3;
    world.control[1].FireCounter = 1;
    world.control[1].GunSide = -1;
    Put(1, kEnemyShot, 310, 210);
    One(); // frame N
    ASSERT_EQ(world.control[1].Dead, 1);

    Hold(kKeySpace);
    Hold(kKeyLeft);
    p.vx = 7;
    Put(2, kEnemyShot, 310, 210);
    for (int frame = 1; frame <= 100; ++frame) {
        One();
        ASSERT_EQ(p.x, 300) << frame;
    }
    EXPECT_EQ(p.vx, 7);
    EXPECT_EQ(world.control[1].FireCounter, 2);
    EXPECT_EQ(world.bullets[2].kind, kEnemyShot);
    EXPECT_TRUE(Shots().empty());

    Release(kKeySpace);
    Release(kKeyLeft);
    One(); // frame N + 101
    using F = std::array<std::int32_t, 11>;
    EXPECT_EQ(Fields(p), (F{80, 480 - 60, 53, -40, 0, 0, 3, 100, 100, 4, 777}));
    EXPECT_EQ(world.control[1].FireCounter, 3);
    EXPECT_EQ(world.control[1].GunSide, -1);
    EXPECT_EQ(world.control[1].Dead, 0);
    EXPECT_EQ(world.GameOver, 0);

    world.control[2].Dead = 1;
    Two();
    EXPECT_EQ(MotionOf(world.players[2]), (Motion{600 - 80, 480 - 60, -53, -40}));
    EXPECT_EQ(world.players[2].lives, 4);
}

TEST_F(PlayerShip, ShipWithoutSparesGetsOneUpdateEvery101Frames) {
    Player& p = Park(1, 300, 200);
    p.lives = 0;
    p.health = 10;
    Put(1, kEnemyShot, 310, 210);
    One();
    p.vx = 4;
    Put(2, kEnemyShot, 310, 210); // an out ship is never struck
    std::vector<int> moved;
    for (int frame = 1; frame <= 303; ++frame) {
        const std::int32_t x = p.x;
        One();
        if (p.x != x) moved.push_back(frame);
        if (frame == 100) {
            EXPECT_EQ(world.GameOver, 0);
        }
    }
    EXPECT_EQ(moved, (std::vector<int>{101, 202, 303}));
    EXPECT_EQ(world.control[1].FireCounter, 4); // one from frame N, three since
    EXPECT_EQ(world.control[1].Dead, 1);
    EXPECT_EQ(world.control[1].RespawnDelay, 100);
    EXPECT_EQ(world.bullets[2].kind, kEnemyShot);
    EXPECT_EQ(p.lives, 0);
    EXPECT_EQ(world.GameOver, 1);
    EXPECT_EQ(world.PlayerOneOut, 1);
    EXPECT_EQ(world.PlayerTwoOut, 0);

    world.GameOver = 0;
    world.PlayerOneOut = 0;
    world.players[2].lives = 0;
    world.players[2].health = 0;
    world.control[2].Dead = 1;
    Two();
    EXPECT_EQ(world.PlayerTwoOut, 1);
    EXPECT_EQ(world.GameOver, 0);
    EXPECT_EQ(world.PlayerOneOut, 0);
    EXPECT_EQ(world.control[2].RespawnDelay, 100);
}

TEST_F(PlayerShip, PlayerTwoFliesOnItsOwnKeys) {
    Player& two = Park(2, 300, 200);
    Park(1, 100, 200);
    Hold(kKeySpace);
    Hold(kKeyUp);
    Two(5);
    EXPECT_TRUE(Shots().empty());
    EXPECT_EQ(two.vy, 0);

    Hold(kKeyF);
    Hold(kKeyG);
    Hold(kKeyW);
    Hold(kKeyA);
    Two(5);
    EXPECT_EQ(MotionOf(two), (Motion{300 - 15, 200 - 15, -5, -5}));
    EXPECT_EQ(two.frame, 2);
    // Aimed from where the ship was at the start of the fifth update.
    EXPECT_EQ(Shots(), (std::vector<Shot>{{300 - 10 + 20 - 10, 200 - 10, 1},
                                          {300 - 10 + 20 - 20, 200 - 10, 4}}));
    for (const Bullet& b : world.bullets) {
        if (b.kind == kPlayerShot) {
            EXPECT_EQ(b.owner, 2);
        }
    }
    Release(kKeyW);
    Hold(kKeyD); // later key wins: steers right
    Two();
    EXPECT_EQ(two.steerX, 1);
    EXPECT_EQ(two.steerY, 0);
}

} // namespace

// The keyboard drains SDL's queue at every question, so which keys a ship asks
// about, in what order and how often, is part of how it plays.  A key source
// that records each question and answers from a set of held keys, optionally
// changing its answer for a key after that key's first question in an update.
class RecordedKeys final : public KeyQuery {
  public:
    std::int32_t Down(std::int32_t code) override {
        asked.push_back(code);
        const bool again = std::count(asked.begin(), asked.end(), code) > 1;
        if (again && code == flipsOnSecondAsk) return held.count(code) ? 0 : -1;
        return held.count(code) ? -1 : 0;
    }

    std::set<std::int32_t> held;
    std::int32_t flipsOnSecondAsk = -1;
    std::vector<std::int32_t> asked;
};

TEST_F(PlayerShip, EachUpdateAsksForEveryKeyInOrderAndOnlyWhenTheShipFlies) {
    using Codes = std::vector<std::int32_t>;
    const Codes one = {kKeySpace, kKeyRightAlt, kKeyUp,   kKeyDown,
                       kKeyLeft,  kKeyRight,    kKeyLeft, kKeyRight};
    const Codes two = {kKeyF, kKeyG, kKeyW, kKeyS, kKeyA, kKeyD, kKeyA, kKeyD};
    const auto update = [&](int n, RecordedKeys& keys) {
        world.CurrentPlayer = n;
        keys.asked.clear();
        if (n == 1)
            UpdatePlayerOne(world, keys);
        else
            UpdatePlayerTwo(world, keys);
        return keys.asked;
    };

    for (int n : {1, 2}) {
        const Codes& expected = n == 1 ? one : two;
        Park(n, 300, 200);
        // Nothing held, everything held, and the missile key with no missiles
        // left: the same eight questions in every update, fire ticks included.
        RecordedKeys idle;
        RecordedKeys all;
        all.held.insert(expected.begin(), expected.end());
        for (int u = 0; u < 6; ++u) {
            EXPECT_EQ(update(n, idle), expected) << "player " << n << " idle, update " << u;
        }
        world.players[n].missiles = 0;
        for (int u = 0; u < 6; ++u) {
            EXPECT_EQ(update(n, all), expected) << "player " << n << " all held, update " << u;
        }

        // A destroyed ship asks nothing while it waits, then all eight in the
        // update that brings the next ship in.
        world.control[n].Dead = 1;
        world.control[n].RespawnDelay = 3;
        for (int u = 0; u < 3; ++u) {
            EXPECT_EQ(update(n, all), Codes{}) << "player " << n << " waiting, update " << u;
        }
        EXPECT_EQ(update(n, all), expected) << "player " << n << " respawning";
    }
}

TEST_F(PlayerShip, LevellingActsOnItsOwnAnswersForTheSideKeys) {
    // "Right" held when the ship steers and let go by the time it checks for
    // levelling: it banks and levels back on the same tick.  Reusing the first
    // answer instead of asking again would leave it banked.
    for (int n : {1, 2}) {
        Player& p = Park(n, 300, 200);
        world.control[n].FireCounter = 0;
        RecordedKeys keys;
        const std::int32_t right = n == 1 ? kKeyRight : kKeyD;
        keys.held = {right};
        keys.flipsOnSecondAsk = right;
        for (int u = 0; u < 5; ++u) {
            keys.asked.clear();
            world.CurrentPlayer = n;
            if (n == 1)
                UpdatePlayerOne(world, keys);
            else
                UpdatePlayerTwo(world, keys);
        }
        EXPECT_EQ(p.frame, 3) << "player " << n;
        EXPECT_EQ(p.steerX, 1) << "player " << n;
    }
}
