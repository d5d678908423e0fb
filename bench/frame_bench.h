// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The cost of one frame of play, measured in-process on the dummy video driver.
#pragma once

#include "bench/bench_options.h"
#include "bench/report.h"

#include <string>
#include <vector>

struct Game;

// One console piece as the game emits it: the text (with its line break, when
// it ends a line) and the print flags.
struct TracePiece {
    std::string text;
    int flags = 0;
};

// Opens a 640 x 480 dummy screen of the given depth as the game opens its
// screen, and loads the game's own images from data/ in the working
// directory.  False (with `error` set) when they do not load.
bool OpenBenchScreen(Game& game, int depth, std::string& error);

// Times the busy scene, split into update / draw / flip and as RunFrame, beside
// a full-screen clear.  Also hands back the trace of one whole loop iteration
// (a waiting pass and a frame) from the middle of the run, for the console
// figures.  False when the screen or the images could not be had.
bool RunFrameBench(const BenchOptions& options, Report& report, std::vector<TracePiece>& trace);
