// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// What one invocation of the benchmark is asked to do.
#pragma once

#include <string>
#include <vector>

// A terminal's size in character cells, written COLSxROWS.
struct TerminalSize {
    int cols = 80;
    int rows = 24;
    std::string Name() const { return std::to_string(cols) + "x" + std::to_string(rows); }
};

// Reads "COLSxROWS[,COLSxROWS...]" (each side 2 to 1000); false for anything else.
bool ParseTerminalSizes(const std::string& text, std::vector<TerminalSize>& sizes);

struct BenchOptions {
    std::string gameDir;       // the build's game directory: novawing, config.cfg, data/
    std::string jsonPath;      // --json FILE; empty for none
    long frames = 10000;       // frames per timed run of the busy scene
    int depth = 32;            // --depth: the frame figures' screen depth, bits per pixel
    long consoleFrames = 2000; // frames of trace replayed per terminal size
    double playSeconds = 20;   // the whole game's measured play window
    bool inProcess = true;     // frame, console and start-up figures
    bool wholeGame = true;     // the real game under Xvfb, if it can be run
    // The terminals the whole game's trace goes to, one run of the game each.
    std::vector<TerminalSize> gameTerminals{TerminalSize{}};
    bool peer = false; // also Debian's powermanga in play, under the same kind of Xvfb
    // The whole game once more on the machine's other SDL 1.2 (classic SDL
    // beside sdl12-compat), where it has one.
    bool otherSdl = true;
    // The whole game once more on sdl12-compat on a desktop at 200 % (X's
    // Xft.dpi 192), its window at twice the mode's size.
    bool scaledWindow = true;
};
