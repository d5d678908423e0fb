// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The ships: the players' fighter (nose up) and the three enemy types (nose
// down), described as lit layers so that each can be drawn at any size.
#pragma once

#include "render.h"

// The fighter in a square of `size` pixels; 48 is its size in play.  Its twin
// engines end on the bottom edge, 5 pixels (at size 48) either side of the
// centre, where the game hangs the flames.
Sprite PlayerShip(float size);

// Roll of the five banking frames, hard left to hard right.
constexpr float kBankAngles[5] = {-0.7f, -0.36f, 0.0f, 0.36f, 0.7f};

// Enemy type 1, a heavy gunship (64x48); type 2, a fighter (44x36); type 3, a
// small weaver (28x24).  Their engines end on the top edge, 5 pixels either
// side of the centre, where the game puts the enemy flames.
Sprite EnemyGunship();
Sprite EnemyFighter();
Sprite EnemyWeaver();
