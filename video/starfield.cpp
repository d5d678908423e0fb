// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The starfield's per-frame pass over the Star table.
#include "video/starfield.h"

#include "support/random.h"
#include "support/rounding.h"
#include "video/draw.h"
#include "video/images.h"

#include <cmath>

namespace {

// How far a star falls each frame.  Plain stars drift at one pixel; the big
// ones (images 11 and up) get a speed from their slot, so slots further up
// the table carry faster stars and the field shows some depth.  A computed
// speed of 2 is bumped to 3, leaving three layers: still, slow and fast.
std::int32_t StarStep(std::int32_t image, std::int32_t slot) {
    if (image <= 10) return 1;
    std::int32_t step = RoundToInt(static_cast<long double>(image + slot) / (image * 10.0L));
    if (step == 2) step = 3;
    return step;
}

// One draw of r in [0, 1) scaled and floored, worked out in extended
// precision so that the chance and the picks do not depend on double
// rounding at the edges of their ranges.
std::int32_t FloorOfDraw(Random& random, long double scale) {
    long double r = RandomUnit(random, 1);
    return static_cast<std::int32_t>(std::floor(r * scale));
}

// Gives an empty slot its one-in-ten-thousand chance of a new star, placed
// just above the top edge at a random column.  The draws are taken in the
// order chance, image, column, and the last two only after a hit.
void MaybeSpawn(Star& star, const Images& images, Random& random) {
    if (FloorOfDraw(random, 10000.0L) != 25) return;
    star.image = FloorOfDraw(random, 20.0L) + 1;
    star.y = -images.StarImage[star.image]->h;
    star.x = FloorOfDraw(random, ScreenWidth(images));
}

} // namespace

void RenderStarfield(std::array<Star, kStarCount>& stars, const Images& images, Random& random) {
    // Slot 0 is never used.  Moving and drawing in the same pass means a
    // star in a higher slot lies over one in a lower slot.
    for (std::int32_t i = 1; i < kStarCount; ++i) {
        Star& star = stars[i];
        if (star.image != 0) {
            star.y += StarStep(star.image, i);
            // Strictly below the bottom edge: a star sitting exactly at H is
            // kept for one more frame.  A freed slot waits for the next frame
            // before it may take a new star.
            if (star.y > ScreenHeight(images)) star.image = 0;
        } else {
            MaybeSpawn(star, images, random);
        }
        if (star.image != 0) BlitAt(images.screen, star.x, star.y, images.StarImage[star.image]);
    }
}
