// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The two player ships: entry, steering, guns, missiles, hits, death and respawn.
#pragma once

#include "world/world.h"

struct Keyboard;

// Writes a ship's entry values (start-up and join): bottom corner, moving up
// and inwards, full health and missiles, 5 spare ships.
void SetEntryValues(World& world, int player);

void UpdatePlayerOne(World& world, Keyboard& keyboard);
void UpdatePlayerTwo(World& world, Keyboard& keyboard);
