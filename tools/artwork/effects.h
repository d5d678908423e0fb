// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// Everything that glows rather than being lit: engine flames, shots, sparks,
// explosions; and the background stars and distant bodies.
#pragma once

#include "image.h"
#include "shapes.h"

#include <functional>

// Draws a picture by asking `paint` for the colour at points four by four per
// pixel; `paint` returns false where the picture is empty.
Coverage SampleField(int w, int h, const std::function<bool(Vec2, Color&)>& paint);

// A lit sphere of the given radius centred at `centre`, coloured by `surface`
// (called with the point's latitude and longitude, -1..1).
bool PaintSphere(Vec2 p, Vec2 centre, float radius,
                 const std::function<Color(float latitude, float longitude)>& surface, Color& out);

Image PlayerFlame(int frame); // 6x14, hanging down from the engines
Image EnemyFlame(int frame);  // 10x12, rising from the engines
Image GunShot(int frame);     // 4x14, frames 0..2 of the rising bolt
Image Missile();              // 5x12, also the missile-stock icon
Image EnemyBolt();            // 5x10, falling straight down
Image EnemyOrb();             // 7x7, drifting diagonally
Image HitSpark();             // 11x11
Image Explosion(int size, unsigned seed);

// Stars 1 to 9 (on black) and 10 to 15 (distant bodies on magenta).
Image Star(int number);
