// The frame loop.  It paces itself on a deadline: a pass that comes before
// the deadline sleeps for the time that is left; a pass at or after it runs
// one frame and re-arms the deadline 33 ms ahead, from the clock after the
// world has been updated.  Late frames are not caught up.
#include "control/frame_loop.h"

#include "support/rounding.h"
#include "video/draw.h"
#include "world/bullets.h"
#include "world/enemies.h"
#include "world/player.h"

#include <SDL.h>

void BeginFrameLoop(Game& game) {
    LoopState& loop = game.loop;
    PrintLine(game.console, "Game loop begins");
    loop.FramesPerSecond = 30;
    loop.FramePeriod = RoundToInt(1.0L / loop.FramesPerSecond * 1000.0L);
    loop.OldTimer = static_cast<double>(game.clock->Ticks()) + loop.FramePeriod;
}

void FrameUpdate(Game& game) {
    Console& console = game.console;
    World& world = game.world;
    const Images& images = game.images;

    world.CurrentPlayer = 1;
    UpdatePlayerOne(world, game.keyboard, images);

    world.CurrentPlayer = 2;
    PrintLine(console, "Working");
    if (world.PlayerCount == 2) {
        UpdatePlayerTwo(world, game.keyboard, images);
    } else {
        PrintLine(console, "Player 2 dialog");
        // Player 2 joins, and first moves in the next frame.
        if (KeyDown(game.keyboard, SDLK_2)) {
            SetEntryValues(world, 2, images);
            world.PlayerCount = 2;
        }
    }

    world.CurrentPlayer = 0; // shots fired from here on are the enemies'
    PrintLine(console, "checking for sdlk_escape");
    if (KeyDown(game.keyboard, SDLK_ESCAPE)) game.loop.QuitFlag = ~game.loop.QuitFlag;

    PrintLine(console, "MoveBullets");
    MoveBullets(world, images);
    PrintLine(console, "EnemyGenerator");
    EnemyGenerator(world, images, game.random);
    PrintLine(console, "EnemyAI");
    EnemyAI(world, images);

    PrintLine(console, "Resetting OldTimer");
    game.loop.OldTimer = static_cast<double>(game.clock->Ticks()) + game.loop.FramePeriod;
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
    PrintLine(game.console, "checking");
    double now = game.clock->Ticks();
    if (game.loop.OldTimer > now) {
        PrintLine(game.console, "SDL_Delay");
        // The clock is read again after the line; if the deadline has passed
        // meanwhile, the wait is 0, never a wrapped-around huge count.
        std::int32_t wait = RoundToInt(game.loop.OldTimer - game.clock->Ticks());
        game.clock->Delay(wait > 0 ? static_cast<std::uint32_t>(wait) : 0);
        return false;
    }
    RunFrame(game);
    return true;
}

void RunFrameLoop(Game& game) {
    while (game.loop.QuitFlag != -1)
        LoopPass(game);
}
