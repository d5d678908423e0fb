// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The same pictures at every screen depth on every SDL 1.2: render_frames'
// scripted play (the title menu, then 450 frames of one and two players,
// explosions, the game-over screen and the join) at 640 x 480 and depth 8,
// 15, 16, 24 and 32 must give, picture by picture, the colours recorded here.
// They are classic SDL 1.2.15's (Debian 12's libsdl1.2debian): its own blits
// drew the same pictures under X11 at every depth, and the game's drawing
// draws them on its dummy driver.  sdl12-compat over SDL2 or SDL 3 must match
// them exactly: the game draws its images itself at every depth with classic
// SDL's arithmetic, and what SDL still does (the screen clear, the health
// bars' fills, the 3-3-2 palette of an 8-bit screen, which sdl12-compat
// gives as classic SDL does) comes out the same on every system.  No pixel
// is allowed to differ: no SDL guarantee would cover one.
//
// Re-record only when a change is meant to alter the picture: run the test on
// classic SDL and copy the values it prints into kRecorded.  To see what
// differs, save the pictures of both SDLs with `render_frames DIR DEPTH` and
// compare the files: they are byte for byte alike where the pictures are.
#include "tools/frames/scripted_play.h"
#include "world_digest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace {

using Pictures = std::array<std::uint64_t, frames::kPictures.size()>;

struct Recorded {
    int depth;
    Pictures pictures;
};

constexpr std::array<Recorded, 5> kRecorded{{
    {8,
     {0xb0f5f29438b78153ull, 0x02734d501fd1e406ull, 0x831b90f94754c33full, 0xd3c867c237333be8ull,
      0x3d61a4095f16f802ull, 0xd21551867794fa3cull, 0x2fb85052b469bb81ull, 0x279347cfa0f1d426ull,
      0xb71eb90b527aba03ull, 0xe78ecb06809e7f5cull, 0x18b2702585198941ull, 0x98c91e3e69fab0a6ull,
      0xf6b7c477f991965dull}},
    {15,
     {0x1c3f92a42f87c046ull, 0x9140588fbdcea606ull, 0xb1c7ecdf4c620646ull, 0x12c6eb26db9c8856ull,
      0xf0411a1fbf2e75e6ull, 0x1a1f872ba98c2676ull, 0xad6646b8a8a731aeull, 0xeb156a32e36e17e6ull,
      0xe21dd2da0b0ff15eull, 0xf611bc1f59ed37deull, 0x98a36a8d5d6105feull, 0x44497d38552a2aaeull,
      0xb06fcc3ebb8b6f06ull}},
    {16,
     {0x810a444a6bd84646ull, 0x6dd72bf2314096a2ull, 0x707b002a4c4f3e7eull, 0x58e497b24a9a98e6ull,
      0x6a3bdb1ad456a57eull, 0x27b3f6242dd3da9eull, 0x5190edeaaf888616ull, 0xfb5d22f5536122daull,
      0xc551821ff914736eull, 0xdf39047638769346ull, 0x082fec41d075250eull, 0x21766f28f5f199eaull,
      0x1cdc65c08a233c26ull}},
    {24,
     {0x828fc3a444f90045ull, 0xdd818bb310e620f9ull, 0x06b4bee6e8183bccull, 0x491c4e17ad07ade3ull,
      0x526712abfd43f927ull, 0x26172d8eeef4eca4ull, 0x09874b56efc9b396ull, 0x999c5e57879999e9ull,
      0xdd0735dfdb93a182ull, 0x368d8b3c6d8c89d6ull, 0x849cdb76e8a68c65ull, 0xd6abc8de3d692508ull,
      0x797e4a120c2ed131ull}},
    {32,
     {0x828fc3a444f90045ull, 0xdd818bb310e620f9ull, 0x06b4bee6e8183bccull, 0x491c4e17ad07ade3ull,
      0x526712abfd43f927ull, 0x26172d8eeef4eca4ull, 0x09874b56efc9b396ull, 0x999c5e57879999e9ull,
      0xdd0735dfdb93a182ull, 0x368d8b3c6d8c89d6ull, 0x849cdb76e8a68c65ull, 0xd6abc8de3d692508ull,
      0x797e4a120c2ed131ull}},
}};

Pictures PlayAt(int depth) {
    Pictures got{};
    frames::DepthGameDir dir(depth);
    EXPECT_TRUE(dir.Ready());
    if (!dir.Ready()) return got;
    auto game = std::make_unique<Game>();
    frames::PlayScript(*game, [&](int frame, SDL_Surface* screen) {
        std::size_t i = 0;
        while (frames::kPictures[i] != frame)
            ++i;
        const std::vector<std::uint8_t> colours = frames::PictureColours(screen);
        digest::Fnv f;
        f.Int(screen->w);
        f.Int(screen->h);
        f.Bytes(colours.data(), colours.size());
        got[i] = f.hash;
    });
    return got;
}

class DepthPictures : public ::testing::TestWithParam<int> {};

TEST_P(DepthPictures, SameAsClassicSdlDrew) {
    const Recorded& want = *std::find_if(kRecorded.begin(), kRecorded.end(),
                                         [](const Recorded& r) { return r.depth == GetParam(); });
    const Pictures got = PlayAt(want.depth);
    std::string table = "{" + std::to_string(want.depth) + ", {";
    bool same = true;
    for (std::size_t i = 0; i < got.size(); ++i) {
        char number[32];
        std::snprintf(number, sizeof number, "0x%016" PRIx64 "ull", got[i]);
        table += std::string(i ? ", " : "") + number;
        EXPECT_EQ(got[i], want.pictures[i])
            << "depth " << want.depth << ", picture " << frames::kPictures[i];
        same = same && got[i] == want.pictures[i];
    }
    if (!same) std::printf("the pictures drawn here:\n    %s}},\n", table.c_str());
    // Every picture of the script shows something of its own.
    for (std::size_t i = 1; i < got.size(); ++i)
        EXPECT_NE(got[i], got[i - 1]) << "picture " << frames::kPictures[i];
}

INSTANTIATE_TEST_SUITE_P(Depths, DepthPictures, ::testing::Values(8, 15, 16, 24, 32),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "Depth" + std::to_string(info.param);
                         });

} // namespace
