// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The cost of the console trace on a real terminal.
#pragma once

#include "bench/bench_options.h"
#include "bench/frame_bench.h"
#include "bench/report.h"

#include <vector>

// Replays the captured trace of a loop iteration through the real curses
// console on pseudo-terminals of 80 x 24, 200 x 60 and 300 x 100, beside one
// write of the same bytes to the same pty (the floor).
bool RunConsoleBench(const BenchOptions& options, const std::vector<TracePiece>& trace,
                     Report& report);
