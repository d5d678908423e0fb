// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The frame loop.  It paces itself on a deadline: a pass that comes before
// the deadline sleeps for the time that is left; a pass at or after it runs
// one frame and re-arms the deadline 33 ms ahead, from the clock after the
// world has been updated.  Late frames are not caught up.
//
// The clock is SDL's 32-bit millisecond count, which passes 2^31 after 24.8
// days and wraps to 0 after 49.7.  A cabinet left running reaches both, so
// the deadline is kept in the same 32 bits and only the unsigned difference
// of two readings is ever looked at: the time left is the deadline less now,
// and as a deadline never lies more than one period ahead, a difference
// larger than that means it has passed.
#include "control/frame_loop.h"

#include "support/rounding.h"
#include "video/draw.h"
#include "video/keyboard.h"
#include "world/bullets.h"
#include "world/enemies.h"
#include "world/player.h"

#include <cstdint>

namespace {

// Milliseconds from `now` until `deadline`, 0 once the deadline has come.
std::uint32_t TimeLeft(std::uint32_t deadline, std::uint32_t now, std::int32_t period) {
    std::uint32_t left = deadline - now;
    return left <= static_cast<std::uint32_t>(period) ? left : 0;
}

std::uint32_t NextDeadline(Game& game) {
    return game.clock->Ticks() + static_cast<std::uint32_t>(game.loop.FramePeriod);
}

} // namespace

void BeginFrameLoop(Game& game) {
    LoopState& loop = game.loop;
    PrintLine(game.console, "Game loop begins");
    loop.FramesPerSecond = 30;
    loop.FramePeriod = RoundToInt(1.0L / loop.FramesPerSecond * 1000.0L);
    loop.OldTimer = NextDeadline(game);
}

void FrameUpdate(Game& game) {
    Console& console = game.console;
    World& world = game.world;
    world.CurrentPlayer = 1;
    UpdatePlayerOne(world, game.keyboard);

    world.CurrentPlayer = 2;
    PrintLine(console, "Working");
    if (world.PlayerCount == 2) {
        UpdatePlayerTwo(world, game.keyboard);
    } else {
        PrintLine(console, "Player 2 dialog");
        // Player 2 joins, and first moves in the next frame.
        if (KeyDown(game.keyboard, kKey2)) {
            SetEntryValues(world, 2);
            world.PlayerCount = 2;
        }
    }

    world.CurrentPlayer = 0; // shots fired from here on are the enemies'
    PrintLine(console, "checking for sdlk_escape");
    if (KeyDown(game.keyboard, kKeyEscape)) game.loop.QuitFlag = ~game.loop.QuitFlag;

    PrintLine(console, "MoveBullets");
    MoveBullets(world);
    PrintLine(console, "EnemyGenerator");
    EnemyGenerator(world, game.random);
    PrintLine(console, "EnemyAI");
    EnemyAI(world);

    PrintLine(console, "Resetting OldTimer");
    game.loop.OldTimer = NextDeadline(game);
}

void FrameDraw(Game& game) {
    PrintLine(game.console, "Drawing Everything");
    DrawEverything(game.render, game.world, game.images, game.random, game.console,
                   game.loop.FramesPerSecond);
}

void FrameFlip(Game& game) {
    PrintLine(game.console, "PageFlip");
    PageFlip(game.images.screen);
}

void RunFrame(Game& game) {
    FrameUpdate(game);
    FrameDraw(game);
    FrameFlip(game);
}

bool LoopPass(Game& game) {
    LoopState& loop = game.loop;
    PrintLine(game.console, "checking");
    if (TimeLeft(loop.OldTimer, game.clock->Ticks(), loop.FramePeriod) > 0) {
        PrintLine(game.console, "SDL_Delay");
        // The clock is read again after the line; if the deadline has passed
        // meanwhile, the wait is 0.
        game.clock->Delay(TimeLeft(loop.OldTimer, game.clock->Ticks(), loop.FramePeriod));
        return false;
    }
    RunFrame(game);
    return true;
}

void RunFrameLoop(Game& game) {
    while (game.loop.QuitFlag != -1)
        LoopPass(game);
}
