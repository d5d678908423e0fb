// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The ships' shapes: the player's ship and the three enemy types.
#include "ships.h"

#include "palette.h"

#include <utility>

namespace {

using Shape = std::function<float(Vec2)>;

// A part described on a design grid and drawn `k` times as large.
Layer Part(float k, Shape shape, Material material, float height, float bevel,
           LayerMode mode = LayerMode::Solid, float base = 0) {
    Shape scaled = [k, shape = std::move(shape)](Vec2 p) { return shape(p * (1.0f / k)) * k; };
    return {scaled, std::move(material), height * k, bevel * k, base * k, mode};
}

Shape Mirrored(float axis, std::vector<Vec2> leftHalf) {
    return [axis, leftHalf = std::move(leftHalf)](Vec2 p) { return SdMirrored(p, axis, leftHalf); };
}

// A shape and its mirror image across x = axis.
Shape Pair(float axis, Shape shape) {
    return [axis, shape = std::move(shape)](Vec2 p) {
        return shape({axis - std::fabs(p.x - axis), p.y});
    };
}

Shape Box(Vec2 centre, Vec2 half, float rounding) {
    return [=](Vec2 p) { return SdBox(p, centre, half, rounding); };
}

Shape Capsule(Vec2 a, Vec2 b, float radius) {
    return [=](Vec2 p) { return SdCapsule(p, a, b, radius); };
}

Shape Ellipse(Vec2 centre, float rx, float ry) {
    return [=](Vec2 p) { return SdEllipse(p, centre, rx, ry); };
}

} // namespace

Sprite PlayerShip(float size) {
    // Design grid: 48 by 48, centre line x = 24, nose at the top.
    const float k = size / 48.0f;
    const int side = static_cast<int>(size + 0.5f);
    Sprite s{side, side, {}, false, 2.6f * k};
    using namespace palette;

    // Swept main wings with gun pods at their tips.
    s.layers.push_back(Part(
        k,
        Mirrored(
            24, Points({{21.5f, 15}, {6, 30.5f}, {2.6f, 34}, {2.6f, 40}, {9, 40.5f}, {21.5f, 38}})),
        kWing, 1.6f, 1.6f));
    s.layers.push_back(
        Part(k, Mirrored(24, Points({{21, 18.5f}, {7.2f, 32.2f}, {7.6f, 35}, {21, 22.5f}})), kTrim,
             0, 1, LayerMode::Paint));
    s.layers.push_back(
        Part(k, Pair(24, Capsule({3.8f, 26}, {3.8f, 40.5f}, 1.6f)), kGunmetal, 2.4f, 1.6f));
    // Canards ahead of the wings.
    s.layers.push_back(
        Part(k, Mirrored(24, Points({{21.5f, 8.5f}, {15.5f, 14.5f}, {15.5f, 16.5f}, {21.5f, 14}})),
             kWing, 1.2f, 1.2f));
    // Engine nacelles, ending on the bottom edge.
    s.layers.push_back(
        Part(k, Pair(24, Box({19, 39.5f}, {3.3f, 8.5f}, 1.6f)), kEngine, 4.2f, 2.6f));
    s.layers.push_back(
        Part(k, Pair(24, Box({19, 47.2f}, {2.1f, 0.9f}, 0.5f)), kIonGlow, 0, 1, LayerMode::Paint));
    // Fuselage, nose at the top.
    s.layers.push_back(Part(k,
                            Mirrored(24, Points({{24, 0.4f},
                                                 {22.4f, 4},
                                                 {20.8f, 10},
                                                 {19.9f, 18},
                                                 {19.7f, 28},
                                                 {20.3f, 35},
                                                 {21.5f, 40},
                                                 {24, 40.5f}})),
                            kHull, 5.4f, 3.6f));
    // Red chevron behind the canopy and seams along the back.
    s.layers.push_back(
        Part(k, Mirrored(24, Points({{24, 21}, {20.5f, 24.5f}, {20.5f, 26.5f}, {24, 23.2f}})),
             kTrim, 0, 1, LayerMode::Paint));
    s.layers.push_back(
        Part(k, Capsule({24, 27}, {24, 38}, 0.35f), kPanelLine, 0, 1, LayerMode::Paint));
    // Canopy.
    s.layers.push_back(
        Part(k, Ellipse({24, 12.5f}, 2.7f, 6.0f), kCanopy, 2.0f, 2.0f, LayerMode::Raised));
    // Tail fins, standing up from the nacelles: they lean over as the ship banks.
    s.layers.push_back(Part(k, Pair(24, Capsule({15.8f, 33}, {14.8f, 43}, 0.7f)), kHull, 0.8f, 0.7f,
                            LayerMode::Solid, 4.5f));
    return s;
}

Sprite EnemyGunship() {
    // Design grid 64 by 48, nose up, centre line x = 32; drawn flipped.
    Sprite s{64, 48, {}, true};
    using namespace palette;
    const float k = 1;

    // Armoured side sponsons, each with a recessed panel and two cannons.
    s.layers.push_back(Part(k,
                            Mirrored(32, Points({{25, 12},
                                                 {13, 13.5f},
                                                 {4.5f, 19},
                                                 {2.2f, 29},
                                                 {4.5f, 38},
                                                 {12, 42.5f},
                                                 {25, 40}})),
                            kEnemyArmour, 2.8f, 2.6f));
    s.layers.push_back(Part(
        k,
        Mirrored(32,
                 Points({{21.5f, 19}, {13, 19.5f}, {8, 24}, {7.5f, 31}, {11, 35.5f}, {21.5f, 35}})),
        kEnemyArmourDeep, 0, 1, LayerMode::Paint));
    s.layers.push_back(
        Part(k, Pair(32, Box({5.5f, 29}, {2.0f, 1.0f}, 0.3f)), kHazard, 0, 1, LayerMode::Paint));
    s.layers.push_back(
        Part(k, Pair(32, Box({5.5f, 32.5f}, {2.0f, 1.0f}, 0.3f)), kHazard, 0, 1, LayerMode::Paint));
    s.layers.push_back(Part(k, Pair(32, Capsule({8.5f, 6}, {8.5f, 22}, 1.7f)), kEnemyDark, 3.0f,
                            1.7f, LayerMode::Solid, 1.0f));
    s.layers.push_back(Part(k, Pair(32, Box({8.5f, 6}, {2.5f, 1.4f}, 0.6f)), kEnemyPlate, 3.6f,
                            1.2f, LayerMode::Solid, 1.0f));
    s.layers.push_back(Part(k, Pair(32, Capsule({17.5f, 9}, {17.5f, 20}, 1.3f)), kEnemyDark, 2.6f,
                            1.3f, LayerMode::Solid, 1.5f));
    // Twin engines at the stern (the top edge once flipped).
    s.layers.push_back(
        Part(k, Pair(32, Box({27, 42}, {3.4f, 6.0f}, 1.4f)), kEnemyDark, 4.2f, 2.4f));
    s.layers.push_back(
        Part(k, Pair(32, Box({27, 47.3f}, {2.2f, 0.8f}, 0.4f)), kExhaust, 0, 1, LayerMode::Paint));
    // The main hull.
    s.layers.push_back(Part(
        k,
        Mirrored(
            32,
            Points(
                {{32, 1.5f}, {28, 5}, {24.5f, 14}, {23.5f, 28}, {25, 38}, {27.5f, 43}, {32, 44}})),
        kEnemyPlate, 6.5f, 5.0f));
    s.layers.push_back(Part(k, Pair(32, Capsule({27.3f, 19}, {26.6f, 36}, 0.8f)), kEnemyArmour, 0,
                            1, LayerMode::Paint));
    // Bridge with its red sensor visor.
    s.layers.push_back(
        Part(k, Ellipse({32, 13}, 3.4f, 4.4f), kSensor, 1.8f, 2.2f, LayerMode::Raised));
    s.layers.push_back(
        Part(k, Box({32, 30}, {3.0f, 5.0f}, 1.5f), kEnemyDark, 1.4f, 1.5f, LayerMode::Raised));
    return s;
}

Sprite EnemyFighter() {
    // Design grid 44 by 36, nose up, centre line x = 22; drawn flipped.
    Sprite s{44, 36, {}, true};
    using namespace palette;
    const float k = 1;

    // Forward-swept wings with fins at the tips.
    s.layers.push_back(
        Part(k, Mirrored(22, Points({{19.5f, 13}, {4, 8}, {1.5f, 10}, {2, 17}, {19.5f, 27}})),
             kEnemyGold, 1.8f, 1.8f));
    s.layers.push_back(
        Part(k, Mirrored(22, Points({{14, 10}, {4.5f, 8.8f}, {3, 10.5f}, {3.3f, 14.5f}, {14, 17}})),
             kEnemyDark, 0, 1, LayerMode::Paint));
    s.layers.push_back(Part(k, Pair(22, Capsule({3, 3.5f}, {3, 16}, 1.1f)), kEnemyPlate, 2.4f, 1.1f,
                            LayerMode::Solid, 0.5f));
    // Engines at the stern.
    s.layers.push_back(
        Part(k, Pair(22, Box({17, 31}, {3.0f, 5.0f}, 1.3f)), kEnemyDark, 3.6f, 2.2f));
    s.layers.push_back(
        Part(k, Pair(22, Box({17, 35.3f}, {2.0f, 0.8f}, 0.4f)), kExhaust, 0, 1, LayerMode::Paint));
    // Fuselage.
    s.layers.push_back(Part(
        k,
        Mirrored(22,
                 Points({{22, 0.8f}, {19.8f, 6}, {18.6f, 16}, {18.8f, 26}, {20, 31}, {22, 32}})),
        kEnemyPlate, 4.6f, 3.0f));
    s.layers.push_back(Part(k,
                            Mirrored(22, Points({{22, 17}, {18.8f, 20}, {18.8f, 22}, {22, 19.2f}})),
                            kHazard, 0, 1, LayerMode::Paint));
    s.layers.push_back(
        Part(k, Ellipse({22, 10}, 2.0f, 3.6f), kSensor, 1.6f, 1.6f, LayerMode::Raised));
    return s;
}

Sprite EnemyWeaver() {
    // Design grid 28 by 24, nose up, centre line x = 14; drawn flipped.
    Sprite s{28, 24, {}, true};
    using namespace palette;
    const float k = 1;

    // A crescent of a wing swept back past the engines.
    s.layers.push_back(Part(
        k, Mirrored(14, Points({{14, 4}, {7, 9}, {1, 16}, {0.8f, 23}, {4, 20}, {9, 17}, {14, 18}})),
        kEnemyViolet, 2.2f, 2.2f));
    s.layers.push_back(Part(k, Mirrored(14, Points({{5, 13.5f}, {1.6f, 17}, {1.5f, 21}, {5, 18}})),
                            kHazard, 0, 1, LayerMode::Paint));
    s.layers.push_back(
        Part(k, Pair(14, Box({9, 20.5f}, {2.6f, 3.5f}, 1.2f)), kEnemyDark, 3.0f, 1.8f));
    s.layers.push_back(
        Part(k, Pair(14, Box({9, 23.4f}, {1.6f, 0.6f}, 0.3f)), kExhaust, 0, 1, LayerMode::Paint));
    // A round cockpit pod in the middle.
    s.layers.push_back(Part(k, Ellipse({14, 10}, 4.2f, 8.5f), kEnemyPlate, 3.8f, 3.2f));
    s.layers.push_back(
        Part(k, Ellipse({14, 7.5f}, 1.8f, 2.6f), kSensor, 1.2f, 1.3f, LayerMode::Raised));
    return s;
}
