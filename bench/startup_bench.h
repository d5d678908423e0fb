// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// Start-up to the title screen, in-process: StartUp and the first menu pass.
#pragma once

#include "bench/bench_options.h"
#include "bench/report.h"

// Runs start-up from config.cfg in the working directory (the game directory)
// on the dummy video driver, then one menu pass whose quarter-second sleep is
// skipped, several times over.
bool RunStartupBench(const BenchOptions& options, Report& report);
