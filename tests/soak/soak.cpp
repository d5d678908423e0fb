// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The long soak: a million frames (or NOVAWING_SOAK_FRAMES, or the first
// argument) of the real game in one continuous run, both players on seeded
// random keys, every rule checked after every frame.  It also counts the
// heap allocations made while frames run: the game allocates nothing per
// frame, so the count must stay at 0.
//
//   soak [FRAMES [INPUT_SEED [WORLD_SEED]]]     run from the game directory
#include "soak/soak_harness.h"
#include "support/floating_point.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>

namespace {

// Counts every operator new of the process.  A global is the only way to
// see allocations made deep inside the game's routines.
std::atomic<long long> allocations{0};

long long ParseCount(const char* text, long long fallback) {
    if (text == nullptr || *text == '\0') return fallback;
    char* end = nullptr;
    const long long value = std::strtoll(text, &end, 10);
    return (end && *end == '\0' && value > 0) ? value : fallback;
}

} // namespace

void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

int main(int argc, char** argv) {
    SetUpFloatingPoint();
    long long frames = ParseCount(argc > 1 ? argv[1] : nullptr, 1000000);
    frames = ParseCount(std::getenv("NOVAWING_SOAK_FRAMES"), frames);
    const auto inputSeed = static_cast<std::uint64_t>(ParseCount(argc > 2 ? argv[2] : nullptr, 1));
    const auto worldSeed = static_cast<unsigned>(ParseCount(argc > 3 ? argv[3] : nullptr, 2024));

    auto game = std::make_unique<Game>();
    soak::SoakClock clock;
    soak::StartSoakGame(*game, clock, worldSeed);
    soak::SoakInput input(inputSeed);
    soak::InvariantChecker checker;
    checker.Start(*game);

    const auto started = std::chrono::steady_clock::now();
    const long long allocationsBefore = allocations.load();
    for (long long frame = 1; frame <= frames; ++frame) {
        input.BeforeFrame(frame, *game);
        soak::NextFrame(*game);
        const std::string why = checker.Check(*game, frame);
        if (!why.empty()) {
            std::fprintf(stderr, "soak: %s (input seed %llu, world seed %u)\n", why.c_str(),
                         static_cast<unsigned long long>(inputSeed), worldSeed);
            soak::EndSoakGame(*game);
            return 1;
        }
    }
    const long long allocated = allocations.load() - allocationsBefore;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    const soak::SoakStats& s = checker.stats;
    std::printf("soak: %lld frames in %.1f s (%.0f frames/s), every rule held\n", s.frames, seconds,
                s.frames / seconds);
    std::printf("soak: player 2 joined at frame %lld; %lld kills; scores %d and %d\n",
                static_cast<long long>(input.joinFrame()), s.kills, game->world.players[1].score,
                game->world.players[2].score);
    std::printf("soak: at most %d enemies, %d bullets, %d stars; %lld respawns\n", s.mostEnemies,
                s.mostBullets, s.mostStars, s.respawns);
    std::printf("soak: player 1 flying in %lld frames, game over from frame %lld, player 2 out "
                "from frame %lld\n",
                s.framesPlayerOneFlying, s.firstGameOverFrame, s.firstPlayerTwoOutFrame);
    std::printf("soak: %lld heap allocations while the frames ran\n", allocated);
    soak::EndSoakGame(*game);
    if (allocated != 0) {
        std::fprintf(stderr, "soak: the frames allocated memory %lld times\n", allocated);
        return 1;
    }
    return 0;
}
