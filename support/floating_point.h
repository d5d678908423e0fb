// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The floating-point mode every fractional value in the game is worked out
// in.  Each program that runs the game's code (the game, the tests, the soak,
// the benchmark, the fuzzers, the tools) calls SetUpFloatingPoint first
// thing, so none of them depends on the mode it happened to start in.
#pragma once

// Extended (64-bit mantissa) precision and round-to-nearest for the x87
// unit, and round-to-nearest for SSE.  Changes nothing else in the control
// word (the exception masks stay as they were).
void SetUpFloatingPoint();
