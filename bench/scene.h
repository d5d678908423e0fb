// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The busy scene the frame figures are taken in: two players weaving with
// guns and missiles held, fifteen enemies, a full starfield.
//
// Left alone the scene would thin out: ships die, enemies leave the bottom and
// the generator brings new ones only every 10 to 44 frames, stars drift off
// and the field refills at one star per 50 frames.  So before every frame the
// scene is topped up, outside the timed part: both ships get back full health,
// missiles and spare ships (so nobody dies or runs out), enemies are added at
// random places in the upper screen until 15 slots are taken, and empty star
// slots get a new star just above the top edge.  The top-ups draw from the
// scene's own generator, not the game's, so the game's draws are its own.
#pragma once

#include "control/game.h"

#include <cstdint>
#include <random>

class BusyScene {
  public:
    explicit BusyScene(std::uint32_t seed = 20261208);

    // Both players in, the starfield filled across the screen, 15 enemies.
    void Populate(Game& game);
    // The keys for frame `frame` and the top-ups; call before every frame.
    void BeforeFrame(Game& game, std::int64_t frame);

  private:
    void HoldKeys(Keyboard& keyboard, std::int64_t frame);
    void RestorePlayers(World& world);
    void TopUpEnemies(Game& game, bool anywhere);
    void TopUpStars(Game& game, bool anywhere);
    double Unit();

    std::mt19937 generator_;
    Random draws_; // handed to SpawnEnemy, scripted from generator_
};
