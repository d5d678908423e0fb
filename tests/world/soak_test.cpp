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
    run.digest = soak::StateDigest(*game);
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
