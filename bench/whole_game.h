// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The whole game, measured from outside: novawing under Xvfb, its console on
// a pseudo-terminal, keys sent with xdotool.
#pragma once

#include "bench/bench_options.h"
#include "bench/report.h"

// Whether Xvfb and xdotool can be found on PATH.
bool WholeGameToolsPresent(std::string& missing);

// Launches the game, times it to the title screen, plays through the menu
// into a two-player game and measures the play window.  False, with a note in
// the report, when it could not be run to the end.
bool RunWholeGameBench(const BenchOptions& options, Report& report);
