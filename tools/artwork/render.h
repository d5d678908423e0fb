// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The lit sprite renderer.  A sprite is a stack of layers, each a shape with
// a rounded relief and a material; the renderer works out a height field from
// the layers, lights it from the upper left, can roll it about its long axis
// (the banking frames of the ship) and samples it four by four per pixel.
#pragma once

#include "image.h"
#include "shapes.h"

#include <functional>
#include <vector>

struct Material {
    Color top;             // colour at the top of its gradient
    Color bottom;          // colour at the bottom (same as top: no gradient)
    float gradientTop = 0; // the gradient runs between these two rows
    float gradientBottom = 1;
    float specular = 0.35f; // strength of the highlight
    float shininess = 18;   // how tight the highlight is
    float emissive = 0;     // 0: lit; 1: glows at its own colour
};

inline Material Plain(Color c, float specular = 0.35f, float shininess = 18) {
    return {c, c, 0, 1, specular, shininess, 0};
}

inline Material Glow(Color c) {
    return {c, c, 0, 1, 0, 1, 1};
}

enum class LayerMode {
    Solid,  // a raised part: the highest solid layer at a point shows
    Raised, // adds its relief on top of what lies beneath (canopy, turret)
    Paint,  // only recolours what lies beneath (stripes, panel lines)
};

struct Layer {
    std::function<float(Vec2)> shape; // signed distance in pixels
    Material material;
    float height = 2; // relief at the centre, in pixels
    float bevel = 2;  // distance from the edge over which the relief rises
    float base = 0;   // height of the layer's edge above the ground
    LayerMode mode = LayerMode::Solid;
};

struct Sprite {
    int w = 0, h = 0;
    std::vector<Layer> layers;
    bool flipVertically = false; // enemy ships: described nose up, flown nose down
    // The height of the roll axis above the ground: parts at this height stay
    // where they are when the sprite rolls (the fighter's engines, so that
    // the flames still meet them in every banking frame).
    float rollAxisHeight = 0;
};

// Draws the sprite rolled by `roll` radians (positive: right wing down).
Coverage Render(const Sprite& sprite, float roll = 0);
