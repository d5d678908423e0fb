// The title menu: Start, one or two players, Help, Quit.
#pragma once

#include "control/game.h"

enum class MenuResult { Start, Quit };

// One pass of the menu, about a quarter second.  Returns Quit when Quit was
// chosen; the caller ends the program.
MenuResult MenuPass(Game& game);

// Passes until Start or Quit is chosen.
MenuResult RunMenu(Game& game);
