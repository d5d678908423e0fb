// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// A whole run of the game without a display, for memory checkers: the
// console on this process's output, start-up from the game directory, the
// title menu driven by scripted keys (two players, a look at the help screen,
// Start), FRAMES frames of the frame loop with both players on random keys,
// then Escape and the game's own way out (SDL_Quit, ExitProgram with 0).
// Time is a fake clock that moves only when the game sleeps, so nothing
// really waits, and every frame must start exactly 33 ms after the one before
// with no sleep longer than that.  START sets the clock's first reading (1000
// by default); just under 2^32 it takes the game through the 49.7-day wrap of
// SDL's tick count.  Before leaving it reports the pacing and its peak
// resident size.
//
//   headless_run FRAMES [START]    run from the game directory, SDL_VIDEODRIVER=dummy
#include "control/menu.h"
#include "soak/soak_harness.h"
#include "support/floating_point.h"
#include "support/process.h"

#include <sys/resource.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

struct KeyChange {
    std::int32_t code;
    bool down;
};

// What the menu is fed, one step at each of its sleeps.  A menu pass sleeps
// and then reads the keys; the help screen sleeps while it waits for keys.
constexpr std::array<std::array<KeyChange, 2>, 11> kMenuScript{{
    {{{kKeyDown, true}, {0, false}}},         // to the player count
    {{{kKeyDown, false}, {kKeySpace, true}}}, // two players
    {{{kKeySpace, false}, {kKeyDown, true}}}, // to Help
    {{{kKeyDown, false}, {kKeySpace, true}}}, // the help screen comes up
    {{{kKeySpace, false}, {0, false}}},       // the choosing key let go
    {{{SDLK_h, true}, {0, false}}},           // any key leaves the help: h, a key
    {{{SDLK_h, false}, {0, false}}},          // the game never asks about (SDL's name); let go
    {{{kKeyUp, true}, {0, false}}},           // back to the player count
    {{{kKeyUp, false}, {0, false}}},          // (a pass with nothing held)
    {{{kKeyUp, true}, {0, false}}},           // to Start
    {{{kKeyUp, false}, {kKeySpace, true}}},   // Start
}};

// The menu's clock: each sleep plays the next step of the script.  A menu
// that sleeps far more often than the script lasts is stuck.
struct MenuClock final : Clock {
    std::uint32_t now = 1000;
    std::size_t step = 0;
    std::uint32_t Ticks() override { return now; }
    void Delay(std::uint32_t ms) override {
        now += ms;
        if (step < kMenuScript.size()) {
            for (const KeyChange& change : kMenuScript[step])
                if (change.code != 0) soak::PushKey(change.code, change.down);
        } else if (step > kMenuScript.size() + 100) {
            std::fprintf(stderr, "headless_run: the menu did not follow its script\n");
            std::exit(2);
        }
        ++step;
    }
};

// The frame loop's clock: like the soak's, and it keeps the longest sleep.
struct LoopClock final : Clock {
    std::uint32_t now = 0;
    std::uint32_t longestSleep = 0;
    std::uint32_t Ticks() override { return now; }
    void Delay(std::uint32_t ms) override {
        longestSleep = ms > longestSleep ? ms : longestSleep;
        now += ms;
    }
};

long PeakResidentKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv) {
    SetUpFloatingPoint();
    const long long frames = argc > 1 ? std::atoll(argv[1]) : 300;
    const std::uint32_t start =
        argc > 2 ? static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 0)) : 1000;
    if (frames < 1) {
        std::fprintf(stderr, "usage: headless_run FRAMES [START]\n");
        return 2;
    }

    setenv("SDL_VIDEODRIVER", "dummy", 1); // headless, whatever the environment says
    auto game = std::make_unique<Game>();
    StartConsole(game->console);
    InstallTerminalRestore(game->console);
    MenuClock menuClock;
    menuClock.now = start;
    game->clock = &menuClock;

    StartUp(*game);
    if (RunMenu(*game) != MenuResult::Start || game->world.PlayerCount != 2) {
        std::fprintf(stderr, "headless_run: the menu did not start a two-player game\n");
        return 2;
    }
    soak::PushKey(kKeySpace, false);

    LoopClock clock;
    clock.now = menuClock.now;
    game->clock = &clock;
    soak::SoakInput input(11);
    BeginFrameLoop(*game);
    long long played = 0;
    // Keys for the coming frame; Escape is pressed for the last one.
    auto feed = [&] {
        input.BeforeFrame(played + 1, *game);
        if (played + 1 == frames) soak::PushKey(kKeyEscape, true);
    };
    feed();
    std::uint32_t previous = 0;   // when the last frame started
    std::uint32_t shortest = ~0u; // frame intervals, in milliseconds
    std::uint32_t longest = 0;
    long long wrappedAfter = -1; // the frame after which the clock wrapped
    while (game->loop.QuitFlag != -1) {
        const std::uint32_t at = clock.now;
        if (!LoopPass(*game)) continue;
        if (played > 0) {
            const std::uint32_t interval = at - previous;
            shortest = interval < shortest ? interval : shortest;
            longest = interval > longest ? interval : longest;
            if (at < previous) wrappedAfter = played;
        }
        previous = at;
        ++played;
        feed();
    }
    const bool paced = played < 2 || (shortest == 33 && longest == 33 && clock.longestSleep <= 33);
    std::fflush(stdout);
    char wrap[64] = "";
    if (wrappedAfter >= 0)
        std::snprintf(wrap, sizeof wrap, ", the clock wrapped after frame %lld", wrappedAfter);
    std::fprintf(stderr,
                 "headless_run: %lld frames, clock from %u%s, frame intervals %u to %u ms, "
                 "longest sleep %u ms, peak resident size %ld kB\n",
                 played, start, wrap, shortest, longest, clock.longestSleep,
                 PeakResidentKilobytes());
    SDL_Quit();
    ExitProgram(game->console, played == frames && paced ? 0 : 3);
}
