// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The frame loop's pacing, its order of work and its two ways of changing
// the game from the keyboard: player 2 joining and Escape.
#include "control/frame_loop.h"
#include "control/startup.h"
#include "control_support.h"
#include "test_support.h"
#include "world/keys.h"
#include "world/player.h"

#include <SDL.h>

#include <algorithm>
#include <string>
#include <utility>

namespace {

class FrameLoop : public ::testing::Test {
  protected:
    FrameLoop() {
        game->images = sdl.FakeImages();
        game->clock = &clock;
        trace.Attach(game->console);
        game->world.sizes = MeasureWorldSizes(game->images);
        SetEntryValues(game->world, 1);
        SetEntryValues(game->world, 2);
    }
    // Runs passes until `frames` frames have run; returns the tick at which each began.
    std::vector<std::uint32_t> RunFrames(int frames) {
        std::vector<std::uint32_t> starts;
        while (static_cast<int>(starts.size()) < frames) {
            std::uint32_t before = clock.now;
            if (LoopPass(*game)) starts.push_back(before);
        }
        return starts;
    }
    long Count(const std::string& line) const {
        return std::count(trace.lines.begin(), trace.lines.end(), line);
    }

    SdlScreen sdl;
    FakeClock clock;
    TraceRecorder trace;
    std::unique_ptr<Game> game = std::make_unique<Game>();
};

} // namespace

TEST_F(FrameLoop, FirstPassWaitsThenFramesAre33msApart) {
    BeginFrameLoop(*game);
    EXPECT_EQ(game->loop.FramesPerSecond, 30);
    EXPECT_EQ(game->loop.FramePeriod, 33);
    EXPECT_EQ(game->loop.OldTimer, 1033u);

    EXPECT_FALSE(LoopPass(*game)); // the first pass is a waiting pass
    EXPECT_EQ(trace.lines, (std::vector<std::string>{"Game loop begins", "checking", "SDL_Delay"}));
    EXPECT_EQ(clock.delays, (std::vector<std::uint32_t>{33}));

    std::vector<std::uint32_t> starts = RunFrames(5);
    for (std::size_t i = 0; i < starts.size(); ++i)
        EXPECT_EQ(starts[i], 1033 + 33 * i);
    // One waiting pass between frames, each sleeping the whole period.
    EXPECT_EQ(Count("SDL_Delay"), 5);
    EXPECT_TRUE(std::all_of(clock.delays.begin(), clock.delays.end(),
                            [](std::uint32_t d) { return d == 33; }));
}

TEST_F(FrameLoop, LongFrameIsFollowedAtOnce) {
    BeginFrameLoop(*game);
    RunFrames(1);
    // The next frame's drawing takes 50 ms: the deadline passes during it.
    SetOutputRoutine(game->console, [&](std::string_view text, int) {
        if (text == "Drawing Everything\n") clock.now += 50;
    });
    RunFrames(1);
    trace.Attach(game->console);
    trace.lines.clear();
    clock.delays.clear();
    EXPECT_TRUE(LoopPass(*game)); // straight into the next frame
    EXPECT_TRUE(clock.delays.empty());
    EXPECT_EQ(trace.lines.front(), "checking");
    EXPECT_EQ(trace.lines[1], "Working");
}

TEST_F(FrameLoop, LateWakeNeverWaitsNegative) {
    BeginFrameLoop(*game);
    // The clock jumps past the deadline between the two readings of a waiting pass.
    clock.advancePerTick = 40;
    EXPECT_FALSE(LoopPass(*game));
    EXPECT_EQ(clock.delays, (std::vector<std::uint32_t>{0}));
}

// SDL's tick count passes 2^31 after 24.8 days and wraps to 0 after 49.7: a
// game left running meets both, and its pacing must not notice.
TEST_F(FrameLoop, PacingIsTheSameAcrossTheClocksBoundaries) {
    std::uint32_t drawCost = 0; // how long the next frame's drawing takes
    SetOutputRoutine(game->console, [&](std::string_view text, int) {
        if (text == "Drawing Everything\n") clock.now += std::exchange(drawCost, 0);
    });
    for (std::uint32_t boundary : {0x80000000u, 0u}) { // 2^31, and 2^32 as it wraps
        for (std::uint32_t early : {100u, 33u, 32u, 1u}) {
            SCOPED_TRACE("clock starts " + std::to_string(early) + " ms before " +
                         (boundary ? "2^31" : "2^32"));
            clock.now = boundary - early;
            clock.advancePerTick = 0;
            clock.delays.clear();
            BeginFrameLoop(*game);
            std::vector<std::uint32_t> starts = RunFrames(6);
            EXPECT_EQ(starts.front(), boundary - early + 33);
            for (std::size_t i = 1; i < starts.size(); ++i)
                EXPECT_EQ(starts[i] - starts[i - 1], 33u) << "frame " << i;
            EXPECT_EQ(clock.delays, std::vector<std::uint32_t>(6, 33));

            // A frame whose drawing runs past the next deadline, across the
            // boundary: the next frame follows at once.
            clock.now = boundary - early;
            BeginFrameLoop(*game);
            RunFrames(1);
            drawCost = 50;
            RunFrames(1);
            clock.delays.clear();
            EXPECT_TRUE(LoopPass(*game));
            EXPECT_TRUE(clock.delays.empty());

            // A waiting pass whose second reading of the clock is already
            // past the deadline sleeps 0, not the whole wrapped range.
            clock.now = boundary - early;
            BeginFrameLoop(*game);
            clock.advancePerTick = 34;
            EXPECT_FALSE(LoopPass(*game));
            EXPECT_EQ(clock.delays, std::vector<std::uint32_t>{0});
        }
    }
}

TEST_F(FrameLoop, TraceOfAFrameInOrder) {
    BeginFrameLoop(*game);
    RunFrames(1);
    auto from = std::find(trace.lines.begin(), trace.lines.end(), "Working") - 1;
    std::vector<std::string> frame(from, trace.lines.end());
    std::vector<std::string> head(frame.begin(), frame.begin() + 10);
    EXPECT_EQ(head, (std::vector<std::string>{"checking", "Working", "Player 2 dialog",
                                              "checking for sdlk_escape", "MoveBullets",
                                              "EnemyGenerator", "EnemyAI", "Resetting OldTimer",
                                              "Drawing Everything", "inDrawEverything"}));
    EXPECT_EQ(frame[frame.size() - 2], "Exiting sub");
    EXPECT_EQ(frame.back(), "PageFlip");
}

TEST_F(FrameLoop, PlayerTwoJoinsWithTheTwoKey) {
    BeginFrameLoop(*game);
    RunFrames(3);
    Player& p2 = game->world.players[2];
    p2.x = 123; // wherever it was left, joining puts it back in its corner
    p2.lives = 0;
    game->keyboard.KeyState[kKey2] = -1;
    trace.lines.clear();
    RunFrames(1);
    EXPECT_EQ(game->world.PlayerCount, 2);
    EXPECT_EQ(Count("Player 2 dialog"), 1);
    // No move in the joining frame.
    EXPECT_EQ(p2.x, 640 - game->images.ShipImage[3]->w);
    EXPECT_EQ(p2.y, 480);
    EXPECT_EQ(p2.lives, 5);

    RunFrames(1);
    EXPECT_EQ(p2.x, 640 - game->images.ShipImage[3]->w - 80); // its first move
    EXPECT_EQ(Count("Player 2 dialog"), 1);                   // the dialog has stopped
    EXPECT_EQ(Count("RenderPlayerTwosShip"), 2);

    // The 2 key while two play changes nothing.
    int x = p2.x;
    RunFrames(1);
    EXPECT_NE(p2.x, 640 - game->images.ShipImage[3]->w);
    EXPECT_LT(p2.x, x);
}

TEST_F(FrameLoop, EscapeEndsTheLoopAfterItsFrame) {
    BeginFrameLoop(*game);
    RunFrames(2);
    game->keyboard.KeyState[kKeyEscape] = -1; // held, and never let go
    trace.lines.clear();
    RunFrameLoop(*game);
    EXPECT_EQ(game->loop.QuitFlag, -1);
    EXPECT_EQ(Count("PageFlip"), 1); // the frame that saw it was finished, then nothing
    EXPECT_EQ(trace.lines.back(), "PageFlip");
}

TEST_F(FrameLoop, ClosingTheWindowOrGameOverDoesNotEndIt) {
    BeginFrameLoop(*game);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    game->world.GameOver = 1;
    RunFrames(40);
    EXPECT_EQ(game->loop.QuitFlag, 0);
    EXPECT_EQ(game->world.CurrentPlayer, 0);
}

TEST_F(FrameLoop, ShotsBelongToWhoFiredThem) {
    BeginFrameLoop(*game);
    game->keyboard.KeyState[kKeySpace] = -1;
    RunFrames(60); // enemies come and fire meanwhile
    int mine = 0;
    for (const Bullet& b : game->world.bullets) {
        if (b.kind == kPlayerShot) {
            EXPECT_EQ(b.owner, 1);
            ++mine;
        }
        if (b.kind == kEnemyShot) {
            EXPECT_EQ(b.owner, 0);
        }
    }
    EXPECT_GT(mine, 0);
}
