// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// Every image of the game, drawn and named for its file in data/.
#include "artwork.h"

#include "effects.h"
#include "icon.h"
#include "render.h"
#include "screens.h"
#include "ships.h"

#include <string>

std::vector<Artwork> DrawAllArtwork() {
    std::vector<Artwork> all;
    auto add = [&](std::string file, Image image) {
        all.push_back({std::move(file), std::move(image)});
    };

    const char* frames[5] = {"left2", "left1", "forward", "right1", "right2"};
    for (int i = 0; i < 5; ++i)
        add(std::string(frames[i]) + ".bmp",
            Keyed(Render(PlayerShip(48), kBankAngles[i]), kMagenta));
    add("enemy1.bmp", Keyed(Render(EnemyGunship()), kMagenta));
    add("enemy2.bmp", Keyed(Render(EnemyFighter()), kMagenta));
    add("enemy3.bmp", Keyed(Render(EnemyWeaver()), kMagenta));

    add("flame1.bmp", PlayerFlame(0));
    add("flame2.bmp", PlayerFlame(1));
    add("eflame1.bmp", EnemyFlame(0));
    add("eflame2.bmp", EnemyFlame(1));
    for (int i = 0; i < 3; ++i)
        add("bullet" + std::to_string(i + 1) + ".bmp", GunShot(i));
    add("bullet4.bmp", Missile());
    add("ebullet.bmp", EnemyBolt());
    add("ebullet2.bmp", EnemyOrb());
    add("bullet7.bmp", HitSpark());
    add("explode1.bmp", Explosion(48, 1001));
    add("explode2.bmp", Explosion(24, 2002));
    for (int i = 1; i <= 15; ++i)
        add("star" + std::to_string(i) + ".bmp", Star(i));

    for (int d = 0; d <= 9; ++d)
        add(std::to_string(d) + ".bmp", Digit(d));
    add("lifetoken.bmp", LifeToken());
    add("nolives.bmp",
        Notice("NO SHIPS LEFT", Hex(255, 150, 120), Hex(230, 60, 40), Hex(230, 70, 60)));
    add("join.bmp",
        Notice("PLAYER 2 PRESS 2", Hex(255, 230, 140), Hex(250, 170, 50), Hex(250, 190, 70)));
    add("gameover.bmp", GameOverScreen());
    // The window's own icon; the game sets it before it opens the window.
    add("icon.bmp", Keyed(GameIcon(32), kMagenta));

    auto find = [&](const std::string& file) -> const Image* {
        for (const Artwork& a : all)
            if (a.file == file) return &a.image;
        return nullptr;
    };
    add("title.bmp", TitleScreen(*find("bullet1.bmp")));
    HelpSprites help{find("forward.bmp"),
                     find("lifetoken.bmp"),
                     find("bullet4.bmp"),
                     {find("enemy1.bmp"), find("enemy2.bmp"), find("enemy3.bmp")},
                     {}};
    for (int d = 0; d <= 9; ++d)
        help.digits[d] = find(std::to_string(d) + ".bmp");
    add("helpscreen.bmp", HelpScreen(help));
    return all;
}
