// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// A short soak: twenty thousand frames of the real game with both players on
// random keys, every rule of the world checked after every frame; and the
// same seeds giving the same game twice.  The long soak (a million frames) is
// the `soak` program.
#include "soak/soak_harness.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

struct SoakRun {
    soak::SoakStats stats;
    std::uint64_t digest = 0;
    std::int32_t scoreOne = 0;
    std::int32_t scoreTwo = 0;
};

// Plays `frames` frames in a fresh game; stops at the first broken rule.
SoakRun Play(std::int64_t frames, std::uint64_t inputSeed, unsigned worldSeed) {
    auto game = std::make_unique<Game>();
    soak::SoakClock clock;
    soak::StartSoakGame(*game, clock, worldSeed);
    soak::SoakInput input(inputSeed);
    soak::InvariantChecker checker;
    checker.Start(*game);
    SoakRun run;
    for (std::int64_t frame = 1; frame <= frames; ++frame) {
        input.BeforeFrame(frame, *game);
        soak::NextFrame(*game);
        const std::string why = checker.Check(*game, frame);
        if (!why.empty()) {
            ADD_FAILURE() << why;
            break;
        }
    }
    run.stats = checker.stats;
    run.digest = digest::WorldDigest(*game);
    run.scoreOne = game->world.players[1].score;
    run.scoreTwo = game->world.players[2].score;
    soak::EndSoakGame(*game);
    return run;
}

} // namespace

TEST(Soak, TwentyThousandFramesKeepEveryRule) {
    const SoakRun run = Play(20000, 7, 12345);
    EXPECT_EQ(run.stats.frames, 20000);
    // The run did go through the game: player 2 joined early, enemies were
    // shot for points by both players, both players lost all five spare
    // ships and ran out (the out cycle then goes on), and the pools and the
    // starfield filled up.
    EXPECT_GT(run.stats.framesTwoPlaying, 19000);
    EXPECT_GE(run.stats.kills, 5);
    EXPECT_GT(run.scoreOne, 0);
    EXPECT_GT(run.scoreTwo, 0);
    EXPECT_EQ(run.stats.respawns, 10);
    EXPECT_GT(run.stats.firstGameOverFrame, 0);
    EXPECT_GT(run.stats.firstPlayerTwoOutFrame, 0);
    EXPECT_GE(run.stats.mostEnemies, 10);
    EXPECT_GT(run.stats.mostBullets, 20);
    EXPECT_GT(run.stats.mostStars, 10);
}

TEST(Soak, SameSeedsReplayTheSameGame) {
    const SoakRun first = Play(3000, 3, 99);
    const SoakRun again = Play(3000, 3, 99);
    EXPECT_EQ(first.digest, again.digest);
    EXPECT_EQ(first.stats.kills, again.stats.kills);
    // Other keys make another game.
    const SoakRun other = Play(3000, 4, 99);
    EXPECT_NE(first.digest, other.digest);
}

// The checker itself: a sound state passes, and each kind of broken rule is
// caught and named.
TEST(Soak, CheckerCatchesEveryKindOfBrokenRule) {
    auto game = std::make_unique<Game>();
    soak::SoakClock clock;
    soak::StartSoakGame(*game, clock, 5);
    soak::SoakInput input(5);
    for (std::int64_t frame = 1; frame <= 300; ++frame) {
        input.BeforeFrame(frame, *game);
        soak::NextFrame(*game);
    }
    const World sound = game->world;
    const RenderState soundRender = game->render;

    auto expectCaught = [&](const char* rule, auto breakIt) {
        game->world = sound;
        game->render = soundRender;
        soak::InvariantChecker checker;
        checker.Start(*game);
        breakIt(game->world, game->render);
        const std::string why = checker.Check(*game, 301);
        EXPECT_NE(why.find(rule), std::string::npos)
            << "expected \"" << rule << "\", got \"" << why << "\"";
    };
    // A free enemy slot holding a live weaver with its speed as given.
    auto weaver = [](World& w, std::int32_t dx) {
        Enemy& e = w.enemies[kEnemyCount - 1];
        e = Enemy{100, 100, dx, 4, 3, 3, 5, 0, 0, 1};
    };

    {
        soak::InvariantChecker checker;
        checker.Start(*game);
        EXPECT_EQ(checker.Check(*game, 301), "");
        weaver(game->world, 20);
        EXPECT_EQ(checker.Check(*game, 302), "");
    }
    expectCaught("bullet entry 0", [](World& w, RenderState&) { w.bullets[0].kind = kPlayerShot; });
    expectCaught("enemy slot 0", [](World& w, RenderState&) { w.enemies[0].state = 2; });
    expectCaught("bullet kind", [](World& w, RenderState&) { w.bullets[9].kind = 4; });
    expectCaught("bullet image", [](World& w, RenderState&) {
        w.bullets[9] = Bullet{10, 10, 0, 3, 9, 0, kEnemyShot, 15, 0};
    });
    expectCaught("enemy state", [](World& w, RenderState&) { w.enemies[7].state = 4; });
    expectCaught("occupied", [&](World& w, RenderState&) {
        for (int slot = 1; slot <= kEnemyCap + 1; ++slot)
            w.enemies[slot] = Enemy{10 * slot, 10, 0, 2, 1, 1, 12, 0, 0, 0};
    });
    expectCaught("type 3 dx", [&](World& w, RenderState&) { weaver(w, 21); });
    expectCaught("ship frame", [](World& w, RenderState&) { w.players[1].frame = 6; });
    expectCaught("Blink", [](World&, RenderState& r) { r.Blink = 2; });
    expectCaught("FlameFrame", [](World&, RenderState& r) { r.FlameFrame = -1; });
    expectCaught("star image", [](World&, RenderState& r) { r.stars[3].image = 21; });
    expectCaught("score fell", [](World& w, RenderState&) { w.players[1].score -= 200; });
    expectCaught("score grew by 150", [](World& w, RenderState&) { w.players[2].score += 150; });
    expectCaught("differ from kills", [](World& w, RenderState&) { w.players[1].score += 500; });
    soak::EndSoakGame(*game);
}
