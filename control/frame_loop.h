// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The frame loop: a 33 ms deadline, sleeping when early, one frame when due.
#pragma once

#include "control/game.h"

// "Game loop begins": sets the frame rate and arms the first deadline.
void BeginFrameLoop(Game& game);

// One frame of play, the nine steps in their order: players, join check,
// Escape, bullets, enemy generator, enemy behaviour, re-arming the deadline,
// drawing, and the page flip.  It is the three parts below, one after the
// other; the benchmark times them one by one.
void RunFrame(Game& game);

void FrameUpdate(Game& game); // the world's steps, up to re-arming the deadline
void FrameDraw(Game& game);   // DrawEverything
void FrameFlip(Game& game);   // PageFlip

// One pass of the loop: a waiting pass when the deadline has not come, else a
// frame.  Returns true when it ran a frame.
bool LoopPass(Game& game);

// Passes until Escape has been seen.
void RunFrameLoop(Game& game);
