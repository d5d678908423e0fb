// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The colours of the game.  The players fly silver and blue with red trim
// and blue-white engines; every enemy wears dark gunmetal with a colour of its
// own and glowing red sensors, and burns orange.
#pragma once

#include "render.h"

namespace palette {

inline const Material kHull{Hex(232, 238, 248), Hex(160, 174, 200), 0, 48, 0.5f, 22, 0};
inline const Material kWing{Hex(120, 156, 214), Hex(84, 112, 176), 0, 48, 0.35f, 16, 0};
inline const Material kTrim = Plain(Hex(214, 52, 44), 0.4f, 20);
inline const Material kEngine = Plain(Hex(92, 98, 114), 0.55f, 24);
inline const Material kGunmetal = Plain(Hex(74, 80, 94), 0.5f, 26);
inline const Material kCanopy = Plain(Hex(34, 112, 170), 1.1f, 34);
inline const Material kPanelLine = Plain(Hex(70, 80, 104), 0.2f, 10);
inline const Material kIonGlow = Glow(Hex(170, 230, 255));

inline const Material kEnemyArmour{Hex(206, 60, 56), Hex(128, 30, 38), 0, 48, 0.45f, 18, 0};
inline const Material kEnemyArmourDeep = Plain(Hex(132, 34, 40), 0.3f, 14);
inline const Material kEnemyPlate = Plain(Hex(122, 126, 142), 0.5f, 20);
inline const Material kEnemyDark = Plain(Hex(52, 54, 66), 0.4f, 20);
inline const Material kEnemyGold{Hex(226, 184, 84), Hex(168, 118, 44), 0, 36, 0.55f, 22, 0};
inline const Material kEnemyViolet{Hex(160, 96, 214), Hex(96, 52, 150), 0, 24, 0.55f, 22, 0};
inline const Material kHazard = Plain(Hex(236, 196, 40), 0.3f, 16);
inline const Material kSensor = Plain(Hex(255, 70, 36), 1.0f, 30);
inline const Material kExhaust = Glow(Hex(255, 170, 70));

} // namespace palette
