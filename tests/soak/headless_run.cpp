// A whole run of the game without a display, for memory checkers: the
// console on this process's output, start-up from the game directory, the
// title menu driven by scripted keys (two players, a look at the help screen,
// Start), FRAMES frames of the frame loop with both players on random keys,
// then Escape and the game's own way out (SDL_Quit, ExitProgram with 0).
// Time is a fake clock that moves only when the game sleeps, so nothing
// really waits.  Before leaving it reports its peak resident size.
//
//   headless_run FRAMES     run from the game directory, SDL_VIDEODRIVER=dummy
#include "control/menu.h"
#include "soak/soak_harness.h"

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
    {{{SDLK_DOWN, true}, {0, false}}},          // to the player count
    {{{SDLK_DOWN, false}, {SDLK_SPACE, true}}}, // two players
    {{{SDLK_SPACE, false}, {SDLK_DOWN, true}}}, // to Help
    {{{SDLK_DOWN, false}, {SDLK_SPACE, true}}}, // the help screen comes up
    {{{SDLK_SPACE, false}, {0, false}}},        // the choosing key let go
    {{{SDLK_h, true}, {0, false}}},             // any key leaves the help
    {{{SDLK_h, false}, {0, false}}},            // and is let go
    {{{SDLK_UP, true}, {0, false}}},            // back to the player count
    {{{SDLK_UP, false}, {0, false}}},           // (a pass with nothing held)
    {{{SDLK_UP, true}, {0, false}}},            // to Start
    {{{SDLK_UP, false}, {SDLK_SPACE, true}}},   // Start
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

long PeakResidentKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv) {
    const long long frames = argc > 1 ? std::atoll(argv[1]) : 300;
    if (frames < 1) {
        std::fprintf(stderr, "usage: headless_run FRAMES\n");
        return 2;
    }

    setenv("SDL_VIDEODRIVER", "dummy", 1); // headless, whatever the environment says
    auto game = std::make_unique<Game>();
    StartConsole(game->console);
    InstallTerminalRestore(game->console);
    MenuClock menuClock;
    game->clock = &menuClock;

    StartUp(*game);
    if (RunMenu(*game) != MenuResult::Start || game->world.PlayerCount != 2) {
        std::fprintf(stderr, "headless_run: the menu did not start a two-player game\n");
        return 2;
    }
    soak::PushKey(SDLK_SPACE, false);

    soak::SoakClock clock;
    clock.now = menuClock.now;
    game->clock = &clock;
    soak::SoakInput input(11);
    BeginFrameLoop(*game);
    long long played = 0;
    // Keys for the coming frame; Escape is pressed for the last one.
    auto feed = [&] {
        input.BeforeFrame(played + 1, *game);
        if (played + 1 == frames) soak::PushKey(SDLK_ESCAPE, true);
    };
    feed();
    while (game->loop.QuitFlag != -1) {
        if (!LoopPass(*game)) continue;
        ++played;
        feed();
    }
    std::fflush(stdout);
    std::fprintf(stderr, "headless_run: %lld frames, peak resident size %ld kB\n", played,
                 PeakResidentKilobytes());
    SDL_Quit();
    ExitProgram(game->console, played == frames ? 0 : 3);
}
