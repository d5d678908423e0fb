// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The bullet pool: FireBullet, MoveBullets and AnimateBullets.
#include "world/bullets.h"

namespace {

constexpr std::int32_t kFirstFillable = 1; // entry 0 is never handed out

// Height of a shot's image; an empty slot or a stray index counts as 0.
int BulletHeight(const World& world, std::int32_t image) {
    return SizeAt(world.sizes.bulletHeight, image);
}

} // namespace

void FireBullet(World& world, const std::int32_t& kind, const std::int32_t& x,
                const std::int32_t& y, const std::int32_t& style) {
    // Lowest free entry first.  With all 1024 in play the shot is simply not
    // fired: the screen is already full of them and nothing is overwritten.
    std::int32_t found = 0;
    for (std::int32_t i = kFirstFillable; i <= kLastBullet; ++i) {
        if (world.bullets[i].kind == kFree) {
            found = i;
            break;
        }
    }
    if (found == 0) return;

    Bullet& b = world.bullets[found];
    b.owner = world.CurrentPlayer;
    b.timer = 15;
    b.x = x;
    b.y = y;
    b.dy = 0;
    b.dx = 0;
    b.animated = 0;
    b.kind = kind;

    if (kind == kPlayerShot) {
        if (style == kGunStyle) {
            // Gun shots flicker through images 1, 2, 3 as they are drawn.
            b.image = kGunImage;
            b.animated = 1;
            b.dy = -10;
        } else {
            // Missiles are slower and keep one image.
            b.image = kMissileImage;
            b.animated = 0;
            b.dy = -7;
        }
        return;
    }

    b.dy = 3;
    b.image = kEnemyShotImage;
    if (style == kStraightDownStyle) {
        b.dy = 12;
    } else if (style == kDownRightStyle) {
        b.image = kDriftShotImage;
        b.dy = 5;
        b.dx = 6;
    } else if (style == kDownLeftStyle) {
        b.image = kDriftShotImage;
        b.dy = 6;
        b.dx = -5;
    }
}

void AnimateBullets(World& world) {
    for (Bullet& bullet : world.bullets) {
        if (bullet.kind == kFree) continue;
        if (bullet.kind == kExplosion) {
            bullet.timer -= 1;
            if (bullet.timer == 0) bullet.kind = kFree;
        }
        if (bullet.animated >= 1)
            bullet.image = bullet.image < kLastGunImage ? bullet.image + 1 : kGunImage;
    }
}

void MoveBullets(World& world) {
    for (std::int32_t i = 0; i <= kLastBullet; ++i) {
        Bullet& b = world.bullets[i];
        if (b.kind == kFree) continue;

        b.x += b.dx;
        b.y += b.dy;
        // Gone below the screen: its top edge has passed the last line.
        if (b.y > world.sizes.screenHeight) b.kind = kFree;
        // Gone above it: its bottom edge has passed the first line.  There is
        // no test at the sides, so a drifting shot lives until it falls out.
        if (b.y + BulletHeight(world, b.image) < 0) b.kind = kFree;
    }
}
