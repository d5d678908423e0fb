// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// Start-up: seed, config.cfg, SDL video, the images and the ships' entry values.
#pragma once

#include "control/game.h"

// Reads config.cfg from the working directory, item by item.
VideoSettings ReadVideoConfig(FileTable& files);

// The sizes the world needs, measured from the loaded images and the screen.
WorldSizes MeasureWorldSizes(const Images& images);

// Runs start-up up to and including "starting menu".  Exits the process with
// code 1 when the video mode cannot be set or an image does not load.
void StartUp(Game& game);
