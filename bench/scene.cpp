// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The busy scene the frame figures are measured on: both players weaving and
// firing, the enemy pool and the starfield kept full.
#include "bench/scene.h"

#include "world/enemies.h"
#include "world/player.h"

#include <SDL.h>

namespace {

constexpr int kSceneEnemies = 15;

// One player's keys.
struct PlayerKeys {
    int gun, missile, up, down, left, right;
};
constexpr PlayerKeys kPlayerOneKeys{SDLK_SPACE, SDLK_RALT, SDLK_UP,
                                    SDLK_DOWN,  SDLK_LEFT, SDLK_RIGHT};
constexpr PlayerKeys kPlayerTwoKeys{SDLK_f, SDLK_g, SDLK_w, SDLK_s, SDLK_a, SDLK_d};

// A weave of 64 frames: steer one way for 12 frames, let go for 20 (the ship
// damps to a stop only while no direction key is held), steer back for 12,
// let go for 20.  Steering both axes together makes the ship sweep diagonally.
enum class Steer { UpLeft, DownRight, None };
Steer WeavePhase(std::int64_t frame) {
    const std::int64_t t = frame % 64;
    if (t < 12) return Steer::UpLeft;
    if (t >= 32 && t < 44) return Steer::DownRight;
    return Steer::None;
}

void Hold(Keyboard& keyboard, int code, bool held) {
    keyboard.KeyState[code] = held ? -1 : 0;
}

void HoldPlayer(Keyboard& keyboard, const PlayerKeys& keys, Steer steer, bool mirrored) {
    Hold(keyboard, keys.gun, true);
    Hold(keyboard, keys.missile, true);
    const bool first = steer == Steer::UpLeft;
    const bool second = steer == Steer::DownRight;
    Hold(keyboard, keys.up, first);
    Hold(keyboard, keys.down, second);
    // Player 2 sweeps the other way across, so the two do not fly in step.
    Hold(keyboard, keys.left, mirrored ? second : first);
    Hold(keyboard, keys.right, mirrored ? first : second);
}

} // namespace

BusyScene::BusyScene(std::uint32_t seed) : generator_(seed) {
    draws_.scripted = [this] { return Unit(); };
}

double BusyScene::Unit() {
    return std::uniform_real_distribution<double>(0.0, 1.0)(generator_);
}

void BusyScene::Populate(Game& game) {
    World& world = game.world;
    world.PlayerCount = 2;
    SetEntryValues(world, 1);
    SetEntryValues(world, 2);
    TopUpStars(game, true);
    TopUpEnemies(game, true);
}

void BusyScene::BeforeFrame(Game& game, std::int64_t frame) {
    HoldKeys(game.keyboard, frame);
    RestorePlayers(game.world);
    TopUpEnemies(game, false);
    TopUpStars(game, false);
}

void BusyScene::HoldKeys(Keyboard& keyboard, std::int64_t frame) {
    HoldPlayer(keyboard, kPlayerOneKeys, WeavePhase(frame), false);
    HoldPlayer(keyboard, kPlayerTwoKeys, WeavePhase(frame + 16), true);
}

void BusyScene::RestorePlayers(World& world) {
    for (int p = 1; p <= 2; ++p) {
        Player& player = world.players[p];
        player.health = 100;
        player.missiles = 100;
        player.lives = 5;
        // A ship that several shots brought down in one frame flies on.
        world.control[p].Dead = 0;
        world.control[p].RespawnDelay = 0;
    }
}

// Fills free enemy slots until 15 are taken (exploding ones count, as they do
// for the game's own cap).  At the start they go anywhere in the upper two
// thirds; later, into the upper third, so each one crosses most of the screen.
void BusyScene::TopUpEnemies(Game& game, bool anywhere) {
    World& world = game.world;
    const int w = ScreenWidth(game.images);
    const int h = ScreenHeight(game.images);
    while (CountEnemies(world) < kSceneEnemies) {
        const std::int32_t type = 1 + static_cast<std::int32_t>(Unit() * 3.0);
        const std::int32_t x = static_cast<std::int32_t>(Unit() * (w - 40));
        const double band = anywhere ? h * 2.0 / 3.0 : h / 3.0;
        const std::int32_t y = static_cast<std::int32_t>(Unit() * band) - 30;
        SpawnEnemy(world, x, y, type, draws_);
    }
}

// Every star slot that is empty gets a star: at the start anywhere on the
// screen, later just above the top edge, where the game itself puts new stars.
void BusyScene::TopUpStars(Game& game, bool anywhere) {
    const int w = ScreenWidth(game.images);
    const int h = ScreenHeight(game.images);
    for (int i = 1; i < kStarCount; ++i) {
        Star& star = game.render.stars[i];
        if (star.image != 0) continue;
        star.image = 1 + static_cast<std::int32_t>(Unit() * 20.0);
        star.x = static_cast<std::int32_t>(Unit() * w);
        SDL_Surface* image = game.images.StarImage[star.image];
        const int starHeight = image ? image->h : 1;
        star.y = anywhere ? static_cast<std::int32_t>(Unit() * h) : -starHeight;
    }
}
