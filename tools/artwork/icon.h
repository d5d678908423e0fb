// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The game's icon: the player's ship flying up out of a round patch of
// night sky.  One drawing serves every size, from the 16-pixel menu icon to
// the 256-pixel one, and the keyed picture the game gives its own window.
#pragma once

#include "image.h"

// A size by size picture with soft edges: its coverage is the alpha of the
// desktop icons, and Keyed() turns it into the window icon.
Coverage GameIcon(int size);
