// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The golden replay: one fixed game, played through the real frame loop, must
// come out exactly as it did when the constants below were recorded - the
// same world at fixed frames, the same trace from start-up to the last frame,
// and the same pictures.  A change that alters the game in any way, even
// consistently from run to run, fails here.
//
// Re-record only when a change is meant to alter the game: run the test, and
// copy the values it prints on failure into kGolden.
#include "soak/soak_harness.h"
#include "world_digest.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

// Player 1 flies alone at the enemies until it has lost all its ships, the
// game-over screen stays up for a while, then player 2 joins and plays on.
constexpr std::uint64_t kInputSeed = 8;
constexpr unsigned kWorldSeed = 1008;
constexpr std::int64_t kJoinFrame = 2143;
constexpr std::int64_t kFrames = 3600;
constexpr std::int64_t kDigestEvery = 300;
constexpr std::array<std::int64_t, 6> kPictureFrames{200, 800, 1500, 2100, 2700, 3600};

struct Recorded {
    std::array<std::uint64_t, kFrames / kDigestEvery> digests;
    std::uint64_t trace;
    std::array<std::uint64_t, kPictureFrames.size()> pictures;
};

constexpr Recorded kGolden{
    .digests = {0xa39e42dce1de9582ull, 0xdcd46e8ce309fcd9ull, 0x15be60293fd6084eull,
                0x32de201c2be28e81ull, 0x8594e5967b0fe49eull, 0x69d9dafa7aef4afdull,
                0x133e19cd71346362ull, 0xe71e05aa44eb75c4ull, 0x126d27fedc57b9afull,
                0x3b1440934289ac3full, 0x69c29039d4811b3bull, 0x7aaa6b1bfb16d614ull},
    .trace = 0xc51623bb974880dbull,
    .pictures = {0x582469748879c68full, 0xdc7ebfd416e71ea7ull, 0xad5a82332e4e64c5ull,
                 0x290d28138daeecdcull, 0x6283a0b134d130aaull, 0xb4f5adca8ee7fa5cull},
};

// The colours of the finished picture, pixel by pixel, independent of the
// surface's pitch and pixel layout.
std::uint64_t PictureDigest(SDL_Surface* screen) {
    digest::Fnv f;
    SDL_LockSurface(screen);
    const int bpp = screen->format->BytesPerPixel;
    for (int y = 0; y < screen->h; ++y) {
        const auto* row = static_cast<const Uint8*>(screen->pixels) + y * screen->pitch;
        for (int x = 0; x < screen->w; ++x) {
            Uint32 raw = 0;
            std::memcpy(&raw, row + x * bpp, bpp);
            Uint8 rgb[3];
            SDL_GetRGB(raw, screen->format, &rgb[0], &rgb[1], &rgb[2]);
            f.Bytes(rgb, sizeof rgb);
        }
    }
    SDL_UnlockSurface(screen);
    return f.hash;
}

// What the run went through, so that the replay cannot quietly lose the
// situations it is there to pin down.
struct Coverage {
    std::array<int, 3> kills{};
    std::array<int, 3> missileKills{};
    int respawns = 0;
    std::int64_t gameOverFrame = -1;
    int gameOverPictures = 0; // frames drawn with the game-over screen up
    std::int64_t joinedFrame = -1;
};

class Replay {
  public:
    Replay() : game_(std::make_unique<Game>()) {}

    void Play() {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        // Every line of the trace goes into the hash.  The picture is taken
        // just before the page flip, which shows it and clears the screen.
        SetOutputRoutine(game_->console, [this](std::string_view text, int flags) {
            trace_.Bytes(text.data(), text.size());
            trace_.Int(flags);
            if (text == "PageFlip\n" && pictureDue_) TakePicture();
        });
        game_->clock = &clock_;
        StartUp(*game_);
        SeedRandom(game_->random, kWorldSeed);
        BeginFrameLoop(*game_);

        soak::SoakInput input(kInputSeed, kJoinFrame);
        std::array<std::int32_t, kEnemyCount> states{};
        std::array<std::int32_t, 3> lives{0, 5, 5};
        for (frame_ = 1; frame_ <= kFrames; ++frame_) {
            input.BeforeFrame(frame_, *game_);
            pictureDue_ = false;
            for (std::int64_t f : kPictureFrames)
                pictureDue_ = pictureDue_ || f == frame_;
            gameOverShown_ = game_->world.GameOver == 1 && game_->world.PlayerCount < 2;
            soak::NextFrame(*game_);
            Observe(states, lives);
            if (frame_ % kDigestEvery == 0)
                result.digests[frame_ / kDigestEvery - 1] = digest::WorldDigest(*game_);
        }
        result.trace = trace_.hash;
        soak::EndSoakGame(*game_);
    }

    Recorded result{};
    Coverage seen;

  private:
    void TakePicture() {
        std::size_t i = 0;
        while (kPictureFrames[i] != frame_)
            ++i;
        result.pictures[i] = PictureDigest(game_->images.screen);
    }

    // Kills are credited to the player whose shot turned an enemy into a
    // wreck; a kill is a missile's when that player's missile blast appeared
    // in the same frame.
    void Observe(std::array<std::int32_t, kEnemyCount>& states,
                 std::array<std::int32_t, 3>& lives) {
        const World& w = game_->world;
        std::array<int, 3> blasts{};
        for (const Bullet& b : w.bullets)
            if (b.kind == kExplosion && b.image == kMissileBlastImage && b.timer == 14)
                ++blasts[b.owner];
        std::array<std::int32_t, 3> scores{};
        for (int p = 1; p <= 2; ++p)
            scores[p] = w.players[p].score - lastScore_[p];
        for (int i = 0; i < kEnemyCount; ++i) {
            if (w.enemies[i].state == -1 && states[i] != -1) {
                for (int p = 1; p <= 2; ++p) {
                    if (scores[p] <= 0) continue;
                    ++seen.kills[p];
                    if (blasts[p] > 0) ++seen.missileKills[p];
                }
            }
            states[i] = w.enemies[i].state;
        }
        for (int p = 1; p <= 2; ++p) {
            lastScore_[p] = w.players[p].score;
            if (w.players[p].lives < lives[p]) ++seen.respawns;
            lives[p] = w.players[p].lives;
        }
        if (w.GameOver == 1 && seen.gameOverFrame < 0) seen.gameOverFrame = frame_;
        if (gameOverShown_) ++seen.gameOverPictures;
        if (w.PlayerCount == 2 && seen.joinedFrame < 0) seen.joinedFrame = frame_;
    }

    std::unique_ptr<Game> game_;
    soak::SoakClock clock_;
    digest::Fnv trace_;
    std::int64_t frame_ = 0;
    bool pictureDue_ = false;
    bool gameOverShown_ = false;
    std::array<std::int32_t, 3> lastScore_{};
};

std::string Listing(const Recorded& r) {
    std::string text = "recorded values:\n    .digests = {";
    char number[32];
    for (std::uint64_t d : r.digests) {
        std::snprintf(number, sizeof number, "0x%016llxull, ", static_cast<unsigned long long>(d));
        text += number;
    }
    std::snprintf(number, sizeof number, "0x%016llxull", static_cast<unsigned long long>(r.trace));
    text += "},\n    .trace = " + std::string(number) + ",\n    .pictures = {";
    for (std::uint64_t d : r.pictures) {
        std::snprintf(number, sizeof number, "0x%016llxull, ", static_cast<unsigned long long>(d));
        text += number;
    }
    return text + "},";
}

} // namespace

TEST(GoldenReplay, FixedGamePlaysExactlyAsRecorded) {
    Replay replay;
    replay.Play();
    const Coverage& seen = replay.seen;

    // The script still reaches what the replay is there to pin down.
    EXPECT_GT(seen.kills[1], 0);
    EXPECT_GT(seen.kills[2], 0);
    EXPECT_GT(seen.missileKills[1], 0);
    EXPECT_GT(seen.missileKills[2], 0);
    EXPECT_GE(seen.respawns, 5);
    EXPECT_GT(seen.gameOverFrame, 0);
    EXPECT_LT(seen.gameOverFrame, kJoinFrame);
    EXPECT_GT(seen.gameOverPictures, 50);
    EXPECT_EQ(seen.joinedFrame, kJoinFrame);

    const Recorded& got = replay.result;
    bool same = got.trace == kGolden.trace;
    for (std::size_t i = 0; i < got.digests.size(); ++i) {
        EXPECT_EQ(got.digests[i], kGolden.digests[i])
            << "world at frame " << (i + 1) * kDigestEvery;
        same = same && got.digests[i] == kGolden.digests[i];
    }
    EXPECT_EQ(got.trace, kGolden.trace) << "the trace";
    for (std::size_t i = 0; i < got.pictures.size(); ++i) {
        EXPECT_EQ(got.pictures[i], kGolden.pictures[i]) << "picture at frame " << kPictureFrames[i];
        same = same && got.pictures[i] == kGolden.pictures[i];
    }
    if (!same) std::printf("%s\n", Listing(got).c_str());
}
