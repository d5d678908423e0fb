// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// Nova Wing: the process entry.  The console comes up first so that every
// stage after it can report itself; then start-up, the title menu and the
// frame loop run once each, and the program ends through ExitProgram.
#include "control/frame_loop.h"
#include "control/game.h"
#include "control/menu.h"
#include "control/startup.h"
#include "support/floating_point.h"
#include "support/process.h"

#include <SDL.h>

#include <memory>

int main(int, char**) {
    SetUpFloatingPoint();
    auto game = std::make_unique<Game>();
    StartConsole(game->console);
    InstallTerminalRestore(game->console);

    StartUp(*game);
    if (RunMenu(*game) == MenuResult::Quit) {
        SDL_Quit();
        ExitProgram(game->console, 0);
    }
    BeginFrameLoop(*game);
    RunFrameLoop(*game);
    SDL_Quit();
    ExitProgram(game->console, 0);
}
