// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The title menu: Start, one or two players, Help, Quit.
#pragma once

#include "control/game.h"

enum class MenuResult {
    Stay,  // the menu goes on
    Start, // Start was chosen: on to the frame loop
    Quit,  // Quit was chosen: the caller ends the program
};

// Where the cursor stands for the current selection (on item 2 its x shows
// the player count).
struct CursorSpot {
    std::int32_t x, y;
};
CursorSpot MenuCursorPosition(const Game& game);

// One pass of the menu, about a quarter second.
MenuResult MenuPass(Game& game);

// Passes until Start or Quit is chosen.
MenuResult RunMenu(Game& game);
