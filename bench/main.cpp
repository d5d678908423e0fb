// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// novawing-bench: the cost of the game on this machine.
//
//   novawing-bench [--json FILE] [--frames N] [--console-frames N]
//                  [--play-seconds S] [--game | --no-game]
//                  [--terminal-size COLSxROWS[,COLSxROWS...]] [--peer]
//                  [--this-sdl-only] [--unscaled-only]
//
// Without options it measures one frame of play, the console trace, start-up
// in-process, and (when Xvfb and xdotool are there) the whole game from
// outside, and prints a table.  It finds the game in the build's game/
// directory, or where NOVAWING_GAME_DIR says.
#include "bench/bench_options.h"
#include "bench/console_bench.h"
#include "bench/frame_bench.h"
#include "bench/machine.h"
#include "bench/report.h"
#include "bench/sdl_library.h"
#include "bench/startup_bench.h"
#include "bench/whole_game.h"
#include "support/floating_point.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void Usage(std::FILE* out) {
    std::fprintf(out, "usage: novawing-bench [--json FILE] [--frames N] [--console-frames N]\n"
                      "                      [--depth 8|15|16|24|32]\n"
                      "                      [--play-seconds S] [--game | --no-game]\n"
                      "                      [--terminal-size COLSxROWS[,COLSxROWS...]] [--peer]\n"
                      "                      [--this-sdl-only] [--unscaled-only]\n"
                      "  --game           only the whole game under Xvfb\n"
                      "  --no-game        only the in-process figures\n"
                      "  --depth          the frame figures' screen depth (default 32)\n"
                      "  --terminal-size  the whole game's console terminal(s), one run each\n"
                      "                   (default 80x24)\n"
                      "  --peer           also Debian's powermanga in play, in the same run\n"
                      "  --this-sdl-only  the whole game on this SDL 1.2 alone, not also on\n"
                      "                   the other one beside it (classic SDL, sdl12-compat)\n"
                      "  --unscaled-only  not also on sdl12-compat with the desktop at 200 %%\n"
                      "                   (the window at twice the mode's size)\n");
}

bool ParseArguments(int argc, char** argv, BenchOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](const char* name) -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "novawing-bench: %s needs a value\n", name);
                return nullptr;
            }
            return argv[++i];
        };
        if (arg == "--json") {
            const char* v = value("--json");
            if (!v) return false;
            options.jsonPath = v;
        } else if (arg == "--frames" || arg == "--console-frames") {
            const char* v = value(arg.c_str());
            if (!v) return false;
            long n = std::strtol(v, nullptr, 10);
            if (n < 1) {
                std::fprintf(stderr, "novawing-bench: %s wants a positive count\n", arg.c_str());
                return false;
            }
            (arg == "--frames" ? options.frames : options.consoleFrames) = n;
        } else if (arg == "--depth") {
            const char* v = value("--depth");
            if (!v) return false;
            const std::string d = v;
            if (d != "8" && d != "15" && d != "16" && d != "24" && d != "32") {
                std::fprintf(stderr, "novawing-bench: --depth wants 8, 15, 16, 24 or 32\n");
                return false;
            }
            options.depth = std::atoi(v);
        } else if (arg == "--play-seconds") {
            const char* v = value("--play-seconds");
            if (!v) return false;
            options.playSeconds = std::strtod(v, nullptr);
            if (!(options.playSeconds >= 1.0)) {
                std::fprintf(stderr, "novawing-bench: --play-seconds wants at least 1\n");
                return false;
            }
        } else if (arg == "--terminal-size") {
            const char* v = value("--terminal-size");
            if (!v) return false;
            if (!ParseTerminalSizes(v, options.gameTerminals)) {
                std::fprintf(stderr,
                             "novawing-bench: --terminal-size wants COLSxROWS[,COLSxROWS...], "
                             "each from 2 to 1000\n");
                return false;
            }
        } else if (arg == "--peer") {
            options.peer = true;
        } else if (arg == "--this-sdl-only") {
            options.otherSdl = false;
        } else if (arg == "--unscaled-only") {
            options.scaledWindow = false;
        } else if (arg == "--game") {
            options.inProcess = false;
            options.wholeGame = true;
        } else if (arg == "--no-game") {
            options.wholeGame = false;
        } else if (arg == "--help" || arg == "-h") {
            Usage(stdout);
            std::exit(0);
        } else {
            std::fprintf(stderr, "novawing-bench: unknown option %s\n", arg.c_str());
            Usage(stderr);
            return false;
        }
    }
    return true;
}

} // namespace

bool ParseTerminalSizes(const std::string& text, std::vector<TerminalSize>& sizes) {
    std::vector<TerminalSize> parsed;
    std::size_t from = 0;
    for (;;) {
        const std::size_t comma = text.find(',', from);
        const std::string one =
            text.substr(from, comma == std::string::npos ? comma : comma - from);
        TerminalSize size;
        char x = 0;
        char rest = 0;
        if (std::sscanf(one.c_str(), "%d%c%d%c", &size.cols, &x, &size.rows, &rest) != 3 ||
            x != 'x' || size.cols < 2 || size.cols > 1000 || size.rows < 2 || size.rows > 1000)
            return false;
        parsed.push_back(size);
        if (comma == std::string::npos) break;
        from = comma + 1;
    }
    sizes = parsed;
    return true;
}

int main(int argc, char** argv) {
    SetUpFloatingPoint();
    BenchOptions options;
    const char* dir = std::getenv("NOVAWING_GAME_DIR");
    options.gameDir = dir && *dir ? dir : NOVAWING_BENCH_GAME_DIR;
    if (!ParseArguments(argc, argv, options)) return 2;

    // The game reads config.cfg and data/ from its working directory.
    if (chdir(options.gameDir.c_str()) != 0) {
        std::fprintf(stderr, "novawing-bench: cannot enter the game directory %s: %s\n",
                     options.gameDir.c_str(), std::strerror(errno));
        return 1;
    }

    Report report;
    report.machine = DescribeMachine();
    // The figures differ several times over between the two SDL 1.2s: say
    // which one this run measured (LD_LIBRARY_PATH may choose either).
    const SdlLibrary sdl = LinkedSdl();
    report.Text("sdl", sdl.Describe());
    report.Text("sdl_kind", sdl.compat ? "sdl12-compat" : "classic");
    bool ran = true;
    if (options.inProcess) {
        std::vector<TracePiece> trace;
        std::fprintf(stderr, "novawing-bench: frame work, %ld frames twice...\n", options.frames);
        const bool framed = RunFrameBench(options, report, trace);
        std::fprintf(stderr, "novawing-bench: console on pseudo-terminals...\n");
        const bool consoled = RunConsoleBench(options, trace, report);
        std::fprintf(stderr, "novawing-bench: start-up in-process...\n");
        // Start-up loads the same images the frame figures needed.
        const bool started = framed && RunStartupBench(options, report);
        if (!framed) report.Note("in-process start-up skipped: the images did not load");
        ran = framed && consoled && started;
    }
    if (options.wholeGame) {
        std::string missing;
        if (WholeGameToolsPresent(missing)) {
            std::fprintf(stderr, "novawing-bench: the whole game under Xvfb, %.0f s of play...\n",
                         options.playSeconds);
            ran = RunWholeGameBench(options, report) && ran;
        } else {
            report.Note("whole game skipped: not found: " + missing);
        }
    }

    // Other work on the machine shows in every timing; say how busy it was.
    report.Add("machine_load_average_end", LoadAverage(), "", "load average (1 min) at the end", 2);
    PrintTable(report, stdout);
    if (!options.jsonPath.empty() && !WriteJson(report, options.jsonPath)) {
        std::fprintf(stderr, "novawing-bench: cannot write %s\n", options.jsonPath.c_str());
        return 1;
    }
    return ran ? 0 : 1;
}
