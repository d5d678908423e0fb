// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The soak harness: the real game (start-up, the frame loop's passes, every
// world and drawing routine) on SDL's dummy driver, a clock that only moves
// when the game sleeps, and two players on seeded random keys.  After every
// frame the checker looks at the whole state for anything the game's rules
// say cannot happen.  Used by the short soak in the test suite and by the
// long `soak` program.
#pragma once

#include "control/frame_loop.h"
#include "control/game.h"
#include "control/startup.h"
#include "support/random.h"
#include "world/keys.h"
#include "world_digest.h"

#include <SDL.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace soak {

// Time stands still until the game sleeps, so every waiting pass sleeps the
// whole period and every frame is exactly 33 ms after the one before.
struct SoakClock final : Clock {
    std::uint32_t now = 1000;
    std::uint32_t Ticks() override { return now; }
    void Delay(std::uint32_t ms) override { now += ms; }
};

// A small generator of our own for the input, so the keys pressed do not
// draw from the game's rand() and change what the game itself draws.
struct SplitMix {
    std::uint64_t state;
    std::uint64_t Next() {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // True with chance 1 in n.
    bool OneIn(std::uint64_t n) { return Next() % n == 0; }
};

inline void PushKey(std::int32_t code, bool down) {
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = static_cast<SDLKey>(code);
    SDL_PushEvent(&event);
}

// Both players' keys.  Each pilot either flies at the enemies (steering
// under the nearest one, staying low) or mashes the direction keys at
// random, and switches between the two now and then; guns are held most of
// the time, missiles in short bursts.  Player 2 presses 2 to join at a seeded
// moment early on.  Now and then the mouse moves or the window is closed,
// which the game must shrug off.  The choices come from the seed and from
// what the game shows, so a run repeats exactly.
class SoakInput {
  public:
    explicit SoakInput(std::uint64_t seed) : rng_{seed} {
        joinFrame_ = 30 + static_cast<std::int64_t>(rng_.Next() % 600);
    }
    // Player 2 joins at the frame given instead (never, if it is not reached).
    SoakInput(std::uint64_t seed, std::int64_t joinFrame) : SoakInput(seed) {
        joinFrame_ = joinFrame;
    }

    // Queues the key changes that the coming frame will see.
    void BeforeFrame(std::int64_t frame, const Game& game) {
        for (int p = 1; p <= 2; ++p)
            Pilot(p, game.world, game.images);
        if (frame == joinFrame_) PushKey(kKey2, true);
        if (frame == joinFrame_ + 1) PushKey(kKey2, false);
        if (rng_.OneIn(500)) {
            SDL_Event motion{};
            motion.type = SDL_MOUSEMOTION;
            motion.motion.xrel = static_cast<Sint16>(rng_.Next() % 21) - 10;
            motion.motion.yrel = static_cast<Sint16>(rng_.Next() % 21) - 10;
            SDL_PushEvent(&motion);
        }
        if (rng_.OneIn(5000)) {
            SDL_Event quit{};
            quit.type = SDL_QUIT;
            SDL_PushEvent(&quit);
        }
    }

    std::int64_t joinFrame() const { return joinFrame_; }

  private:
    enum Control { kUp, kDown, kLeft, kRight, kGun, kMissile, kControls };
    // Player 1: arrows, Space, right Alt.  Player 2: W S A D, F, G.
    static constexpr std::array<std::array<std::int32_t, kControls>, 3> kKeys{{
        {},
        {kKeyUp, kKeyDown, kKeyLeft, kKeyRight, kKeySpace, kKeyRightAlt},
        {kKeyW, kKeyS, kKeyA, kKeyD, kKeyF, kKeyG},
    }};

    void Want(int player, Control control, bool down) {
        bool& held = held_[player][control];
        if (held == down) return;
        held = down;
        PushKey(kKeys[player][control], down);
    }

    // Toggles a key at random: pressed with chance 1 in `press`, let go with
    // chance 1 in `release`.
    void Flicker(int player, Control control, std::uint64_t press, std::uint64_t release) {
        const bool held = held_[player][control];
        if (rng_.OneIn(held ? release : press)) Want(player, control, !held);
    }

    static std::int32_t Clamp(std::int32_t v, std::int32_t lo, std::int32_t hi) {
        return v < lo ? lo : (v > hi ? hi : v);
    }

    void Pilot(int p, const World& world, const Images& images) {
        if (rng_.OneIn(400)) wild_[p] = !wild_[p];
        if (wild_[p]) {
            for (Control c : {kUp, kDown, kLeft, kRight})
                Flicker(p, c, 8, 6);
        } else {
            // Head for the nearest enemy's column, a little below mid-screen,
            // by holding the key that brings the speed towards what is wanted.
            const Player& ship = world.players[p];
            const SDL_Surface* level = images.ShipImage[3];
            const std::int32_t cx = ship.x + level->w / 2;
            std::int32_t targetX = ScreenWidth(images) / 2;
            std::int32_t nearest = 1 << 30;
            for (const Enemy& e : world.enemies) {
                if (e.state <= 0 || e.y < 0) continue;
                const std::int32_t ex = e.x + images.EnemyImage[e.image]->w / 2;
                const std::int32_t distance = ex > cx ? ex - cx : cx - ex;
                if (distance < nearest) {
                    nearest = distance;
                    targetX = ex;
                }
            }
            const std::int32_t targetY = ScreenHeight(images) - 2 * level->h;
            const std::int32_t vx = Clamp((targetX - cx) / 8, -6, 6);
            const std::int32_t vy = Clamp((targetY - ship.y) / 8, -4, 4);
            Want(p, kLeft, ship.vx > vx);
            Want(p, kRight, ship.vx < vx);
            Want(p, kUp, ship.vy > vy);
            Want(p, kDown, ship.vy < vy);
        }
        Flicker(p, kGun, 3, 20);
        Flicker(p, kMissile, 40, 4);
    }

    SplitMix rng_;
    std::array<std::array<bool, kControls>, 3> held_{};
    std::array<bool, 3> wild_{};
    std::int64_t joinFrame_ = 0;
};

// What one run went through, to show that it did exercise the game.
struct SoakStats {
    long long frames = 0;
    long long kills = 0;
    std::int32_t mostEnemies = 0;
    std::int32_t mostBullets = 0;
    std::int32_t mostStars = 0;
    long long framesTwoPlaying = 0;
    long long framesPlayerOneFlying = 0;
    long long firstGameOverFrame = -1;
    long long firstPlayerTwoOutFrame = -1;
    long long respawns = 0;
};

// Checks the whole state after each frame.  Check returns an empty text while
// everything holds, else what broke (the first thing found).
class InvariantChecker {
  public:
    void Start(const Game& game) {
        const World& world = game.world;
        for (int p = 1; p <= 2; ++p) {
            score_[p] = world.players[p].score;
            lives_[p] = world.players[p].lives;
        }
        for (int i = 0; i < kEnemyCount; ++i)
            state_[i] = world.enemies[i].state;
        playerCountBefore_ = world.PlayerCount;
    }

    std::string Check(const Game& game, std::int64_t frame) {
        const World& world = game.world;
        const Images& images = game.images;
        const int W = ScreenWidth(images);
        const int H = ScreenHeight(images);
        ++stats.frames;
        std::string why;

        // Frame-wide values.
        if (world.CurrentPlayer != 0) return Fail(frame, "CurrentPlayer is", world.CurrentPlayer);
        if (world.PlayerCount != 0 && world.PlayerCount != 2)
            return Fail(frame, "PlayerCount is", world.PlayerCount);
        if (game.loop.QuitFlag != 0) return Fail(frame, "QuitFlag is", game.loop.QuitFlag);
        if (world.GameOver != 0 && world.GameOver != 1)
            return Fail(frame, "GameOver is", world.GameOver);
        if (world.PlayerOneOut != 0 && world.PlayerOneOut != 1)
            return Fail(frame, "PlayerOneOut is", world.PlayerOneOut);
        if (world.PlayerTwoOut != 0 && world.PlayerTwoOut != 1)
            return Fail(frame, "PlayerTwoOut is", world.PlayerTwoOut);
        if (world.GameOver == 1 && world.PlayerOneOut != 1)
            return Fail(frame, "GameOver without PlayerOneOut", 0);
        if (world.SpawnCountdown < 0 || world.SpawnCountdown > 43)
            return Fail(frame, "SpawnCountdown is", world.SpawnCountdown);
        for (int slot = 0; slot < static_cast<int>(world.EventSlot.size()); ++slot)
            if (world.EventSlot[slot] != 0) return Fail(frame, "event slot changed:", slot);

        const RenderState& render = game.render;
        if (render.Blink != 0 && render.Blink != 1) return Fail(frame, "Blink is", render.Blink);
        if (render.FlameFrame != 0 && render.FlameFrame != 1)
            return Fail(frame, "FlameFrame is", render.FlameFrame);
        if (render.BlinkCounter < 0 || render.BlinkCounter > 2 * game.loop.FramesPerSecond)
            return Fail(frame, "BlinkCounter is", render.BlinkCounter);

        if (!(why = CheckPlayers(world, images, frame, W, H)).empty()) return why;
        if (!(why = CheckEnemies(world, frame, H)).empty()) return why;
        if (!(why = CheckBullets(world, frame)).empty()) return why;
        if (!(why = CheckStars(render, frame, W, H)).empty()) return why;
        if (!(why = CheckScores(world, frame)).empty()) return why;

        if (world.PlayerCount == 2) ++stats.framesTwoPlaying;
        if (world.players[1].health > 0) ++stats.framesPlayerOneFlying;
        if (world.GameOver == 1 && stats.firstGameOverFrame < 0) stats.firstGameOverFrame = frame;
        if (world.PlayerTwoOut == 1 && stats.firstPlayerTwoOutFrame < 0)
            stats.firstPlayerTwoOutFrame = frame;
        playerCountBefore_ = world.PlayerCount;
        return {};
    }

    SoakStats stats;

  private:
    static std::string Fail(std::int64_t frame, const char* what, long long value) {
        char text[160];
        std::snprintf(text, sizeof text, "frame %lld: %s %lld", static_cast<long long>(frame), what,
                      value);
        return text;
    }

    static int ShipWidth(const Images& images, std::int32_t frame) {
        return images.ShipImage[frame]->w;
    }
    static int ShipHeight(const Images& images, std::int32_t frame) {
        return images.ShipImage[frame]->h;
    }

    std::string CheckPlayers(const World& world, const Images& images, std::int64_t frame, int W,
                             int H) {
        for (int p = 1; p <= 2; ++p) {
            const Player& ship = world.players[p];
            const PlayerControl& control = world.control[p];
            if (ship.frame < 1 || ship.frame > 5) return Fail(frame, "ship frame is", ship.frame);
            if (ship.health < 0 || ship.health > 100 || ship.health % 10 != 0)
                return Fail(frame, "health is", ship.health);
            if (ship.missiles < 0 || ship.missiles > 100)
                return Fail(frame, "missiles are", ship.missiles);
            if (ship.lives < 0 || ship.lives > 5) return Fail(frame, "lives are", ship.lives);
            if (ship.steerX < -1 || ship.steerX > 1 || ship.steerY < -1 || ship.steerY > 1)
                return Fail(frame, "steering is", ship.steerX * 10 + ship.steerY);
            if (control.FireCounter < 0 || control.FireCounter > 4)
                return Fail(frame, "FireCounter is", control.FireCounter);
            if (control.GunSide != 0 && control.GunSide != -1)
                return Fail(frame, "GunSide is", control.GunSide);
            if (control.MissileSide != 0 && control.MissileSide != -1)
                return Fail(frame, "MissileSide is", control.MissileSide);
            if (control.RespawnDelay < 0 || control.RespawnDelay > 100)
                return Fail(frame, "RespawnDelay is", control.RespawnDelay);
            if (control.Dead != 0 && control.Dead != 1) return Fail(frame, "Dead is", control.Dead);
            if (ship.health <= 0 && control.Dead != 1)
                return Fail(frame, "a wreck not marked dead, player", p);
            // Spare ships are only ever used up, except by player 2's join.
            const bool joinedNow = p == 2 && playerCountBefore_ != 2 && world.PlayerCount == 2;
            if (ship.lives < lives_[p]) ++stats.respawns;
            if (ship.lives > lives_[p] && !joinedNow) return Fail(frame, "lives grew, player", p);
            lives_[p] = ship.lives;

            // A ship that has been updated stays on the screen.  Player 2 is
            // first updated in the frame after it joins.
            const bool updated = p == 1 || (playerCountBefore_ == 2 && world.PlayerCount == 2);
            if (!updated) continue;
            const int w = ShipWidth(images, ship.frame);
            const int h = ShipHeight(images, ship.frame);
            if (ship.x < 0 || ship.x > W - w) return Fail(frame, "ship x is", ship.x);
            if (ship.y < 0 || ship.y > H - h) return Fail(frame, "ship y is", ship.y);
        }
        return {};
    }

    std::string CheckEnemies(const World& world, std::int64_t frame, int H) {
        // The fire counter value that fires a volley, and the hit points at
        // spawn, by type.
        constexpr std::array<std::int32_t, 4> kInterval{0, 10, 30, 10};
        constexpr std::array<std::int32_t, 4> kHitPoints{0, 12, 7, 5};
        if (world.enemies[0].state != 0) return Fail(frame, "enemy slot 0 filled", 0);
        std::int32_t occupied = 0;
        for (int i = 0; i < kEnemyCount; ++i) {
            const Enemy& e = world.enemies[i];
            if (e.state < -1 || e.state > 3) return Fail(frame, "enemy state is", e.state);
            if (e.state != 0) ++occupied;
            if (e.state == -1) {
                if (e.timer < 1 || e.timer > 20) return Fail(frame, "explosion timer is", e.timer);
                if (e.image < 1 || e.image > 3) return Fail(frame, "wreck image is", e.image);
            }
            if (e.state <= 0) continue;
            const std::int32_t type = e.state;
            if (e.image != type) return Fail(frame, "enemy image differs from type:", e.image);
            if (e.hitPoints < 1 || e.hitPoints > kHitPoints[type])
                return Fail(frame, "live enemy hit points are", e.hitPoints);
            if (e.timer < 0 || e.timer >= kInterval[type])
                return Fail(frame, "fire counter is", e.timer);
            if (e.y > H) return Fail(frame, "enemy kept below the screen at y", e.y);
            if (type == 1 && (e.gunPhase < 0 || e.gunPhase > 6))
                return Fail(frame, "type 1 gun phase is", e.gunPhase);
            if (type != 1 && e.gunPhase != 0 && e.gunPhase != -1)
                return Fail(frame, "twin gun phase is", e.gunPhase);
            const bool fallsRight = (type == 1 && e.dy == 2) ||
                                    (type == 2 && e.dy >= 2 && e.dy <= 4) ||
                                    (type == 3 && e.dy == 4);
            if (!fallsRight) return Fail(frame, "enemy dy is", e.dy);
            if (type == 3) {
                if (e.dx < -20 || e.dx > 20) return Fail(frame, "type 3 dx is", e.dx);
                if (e.swing != 1 && e.swing != -1) return Fail(frame, "type 3 swing is", e.swing);
            } else if (e.dx != 0) {
                return Fail(frame, "a straight flyer's dx is", e.dx);
            }
        }
        if (occupied > kEnemyCap) return Fail(frame, "enemy slots occupied:", occupied);
        if (occupied > stats.mostEnemies) stats.mostEnemies = occupied;
        return {};
    }

    std::string CheckBullets(const World& world, std::int64_t frame) {
        if (world.bullets[0].kind != kFree) return Fail(frame, "bullet entry 0 filled", 0);
        std::int32_t live = 0;
        for (const Bullet& b : world.bullets) {
            if (b.kind < kFree || b.kind > kExplosion) return Fail(frame, "bullet kind is", b.kind);
            if (b.kind == kFree) continue;
            ++live;
            if (b.image < 1 || b.image > 8) return Fail(frame, "bullet image is", b.image);
            if (b.animated != 0 && b.animated != 1)
                return Fail(frame, "bullet animated flag is", b.animated);
            // Enemies fire with owner 0; shots and their explosions belong to
            // the player who fired them.
            const bool playersOwn = b.owner == 1 || b.owner == 2;
            if (b.kind == kEnemyShot ? b.owner != 0 : !playersOwn)
                return Fail(frame, "bullet owner is", b.owner);
            if (b.kind == kExplosion && (b.timer < 1 || b.timer > 15))
                return Fail(frame, "shot explosion timer is", b.timer);
        }
        if (live > stats.mostBullets) stats.mostBullets = live;
        return {};
    }

    std::string CheckStars(const RenderState& render, std::int64_t frame, int W, int H) {
        if (render.stars[0].image != 0) return Fail(frame, "star slot 0 used", 0);
        std::int32_t live = 0;
        for (const Star& star : render.stars) {
            if (star.image < 0 || star.image > 20) return Fail(frame, "star image is", star.image);
            if (star.image == 0) continue;
            ++live;
            if (star.x < 0 || star.x >= W) return Fail(frame, "star x is", star.x);
            if (star.y > H) return Fail(frame, "star kept below the screen at y", star.y);
        }
        if (live > stats.mostStars) stats.mostStars = live;
        return {};
    }

    // Scores only grow, each by whole kills (200, 300 and 400 points, so any
    // step of 100 from 200 up), and the points handed out in a frame are
    // exactly those of the enemies that began exploding in it.
    std::string CheckScores(const World& world, std::int64_t frame) {
        std::int64_t earned = 0;
        for (int i = 0; i < kEnemyCount; ++i) {
            const Enemy& e = world.enemies[i];
            if (e.state == -1 && state_[i] != -1) {
                earned += 500 - 100 * e.image;
                ++stats.kills;
            }
            state_[i] = e.state;
        }
        std::int64_t gained = 0;
        for (int p = 1; p <= 2; ++p) {
            const std::int64_t delta =
                static_cast<std::int64_t>(world.players[p].score) - score_[p];
            if (delta < 0) return Fail(frame, "score fell by", -delta);
            if (delta != 0 && (delta < 200 || delta % 100 != 0))
                return Fail(frame, "score grew by", delta);
            gained += delta;
            score_[p] = world.players[p].score;
        }
        if (gained != earned)
            return Fail(frame, "points handed out differ from kills by", gained - earned);
        return {};
    }

    std::array<std::int32_t, 3> score_{};
    std::array<std::int32_t, 3> lives_{};
    std::array<std::int32_t, kEnemyCount> state_{};
    std::int32_t playerCountBefore_ = 0;
};

// The game as main starts it, but with the console's lines going nowhere
// and time under the harness's control: start-up from the game directory's
// config.cfg and data/, then the frame loop's entry.  The game's random
// sequence is seeded from `worldSeed` after start-up so that a run repeats.
inline void StartSoakGame(Game& game, SoakClock& clock, unsigned worldSeed) {
    setenv("SDL_VIDEODRIVER", "dummy", 1); // headless, whatever the environment says
    SetOutputRoutine(game.console, [](std::string_view, int) {});
    game.clock = &clock;
    StartUp(game);
    SeedRandom(game.random, worldSeed);
    BeginFrameLoop(game);
}

// Ends a harness game: its images, then SDL.
inline void EndSoakGame(Game& game) {
    FreeGraphics(game.images);
    SDL_Quit();
    game.images.screen = nullptr;
}

// Runs passes of the frame loop until one of them has run a frame.
inline void NextFrame(Game& game) {
    while (!LoopPass(game)) {
    }
}

} // namespace soak
