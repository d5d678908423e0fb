// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The bullet pool: every shot and shot explosion in play.
#pragma once

#include "world/world.h"

#include <cstdint>

// Fills the lowest free entry from 1 upwards; owner is world.CurrentPlayer.
// When entries 1..1024 are all in play the request is dropped.
void FireBullet(World& world, const std::int32_t& kind, const std::int32_t& x,
                const std::int32_t& y, const std::int32_t& style);

// Moves every entry in play and frees those that left at the top or bottom.
void MoveBullets(World& world);

// The pool's part of showing a frame, run right after the bullets are drawn:
// a shot explosion counts its frames down (it was still shown in the frame it
// ends) and an animated shot steps to its next image.
void AnimateBullets(World& world);
