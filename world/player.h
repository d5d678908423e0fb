// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The two player ships: entry, steering, guns, missiles, hits, death and respawn.
#pragma once

#include "world/keys.h"
#include "world/world.h"

// Writes a ship's entry values (start-up and join): bottom corner, moving up
// and inwards, full health and missiles, 5 spare ships.
void SetEntryValues(World& world, int player);

// One update of a ship.  It asks for its keys in a fixed order, each question
// on its own: gun, missile, up, down, left, right, then left and right again
// for easing back to level; none while it waits to respawn.
void UpdatePlayerOne(World& world, KeyQuery& keys);
void UpdatePlayerTwo(World& world, KeyQuery& keys);
