// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// DrawEverything: the field of play, then the status display, onto the screen.
#include "video/render.h"

#include "support/console.h"
#include "support/rounding.h"
#include "support/text.h"
#include "video/draw.h"
#include "video/images.h"
#include "world/bullets.h"
#include "world/world.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

namespace {

// Where a player's status display sits.  Player 1 builds from the left edge,
// player 2 mirrors it from the right.
enum class Side { Left, Right };

// BlitAt onto the screen; it skips a slot that holds no image.
void Blit(const Images& images, std::int32_t x, std::int32_t y, SDL_Surface* image) {
    BlitAt(images.screen, x, y, image);
}

// The blink toggle flips once the counter, climbing by two per frame, has
// reached twice the frame rate: about once a second, every fps + 1 frames.
void UpdateBlink(RenderState& render, std::int32_t framesPerSecond) {
    render.BlinkCounter += 1;
    if (render.BlinkCounter >= 2 * framesPerSecond) {
        render.Blink = render.Blink == 0 ? 1 : 0;
        render.BlinkCounter = 0;
    } else {
        render.BlinkCounter += 1;
    }
}

// A wreck (ship or enemy) shows the explosion centred on where its image was.
void DrawExplosionOver(const Images& images, std::int32_t x, std::int32_t y, SDL_Surface* wreck) {
    SDL_Surface* explosion = images.ExplosionImage[1];
    if (wreck == nullptr || explosion == nullptr) return;
    std::int32_t cx = RoundToInt(wreck->w / 2.0L + x);
    std::int32_t cy = RoundToInt(wreck->h / 2.0L + y);
    Blit(images, RoundToInt(cx - explosion->w / 2.0L), RoundToInt(cy - explosion->h / 2.0L),
         explosion);
}

// A flying ship with its two engine flames hanging from its bottom edge, or
// the explosion while it is destroyed (also once it is out of ships).
void DrawShip(const Images& images, const Player& player, std::int32_t flameFrame) {
    SDL_Surface* ship = ImageAt(images.ShipImage, player.frame);
    if (ship == nullptr) return;
    if (player.health > 0) {
        Blit(images, player.x, player.y, ship);
        SDL_Surface* flame = ImageAt(images.FlameImage, flameFrame);
        std::int32_t ox = RoundToInt(ship->w / 2.0L + 2.0L);
        std::int32_t oy = ship->h;
        Blit(images, player.x + ox, player.y + oy, flame);
        Blit(images, player.x + ox - 10, player.y + oy, flame);
    } else {
        DrawExplosionOver(images, player.x, player.y, ship);
    }
}

// Enemies fly downwards, so their flames sit above them, 12 pixels over the
// top edge.  A destroyed enemy (state -1) shows its explosion; free slots
// nothing.
void DrawEnemies(const Images& images, const World& world, std::int32_t flameFrame) {
    for (std::int32_t i = 1; i < kEnemyCount; ++i) {
        const Enemy& enemy = world.enemies[i];
        SDL_Surface* image = ImageAt(images.EnemyImage, enemy.image);
        if (enemy.state > 0) {
            if (image == nullptr) continue;
            Blit(images, enemy.x, enemy.y, image);
            SDL_Surface* flame = ImageAt(images.EnemyFlameImage, flameFrame);
            std::int32_t ox = RoundToInt(image->w / 2.0L);
            Blit(images, enemy.x + ox, enemy.y - 12, flame);
            Blit(images, enemy.x + ox - 10, enemy.y - 12, flame);
        } else if (enemy.state == -1) {
            DrawExplosionOver(images, enemy.x, enemy.y, image);
        }
    }
}

// Every entry in play, with the image it has before this frame's animation
// step.
void DrawBullets(const Images& images, const World& world) {
    for (const Bullet& bullet : world.bullets) {
        if (bullet.kind == kFree || bullet.image == 0) continue;
        Blit(images, bullet.x, bullet.y, ImageAt(images.BulletImage, bullet.image));
    }
}

// The missile stock as a grid of icons, three to a row.  The icon test
// 3p + q < missiles starts from p = 1, so the first icon needs 5 missiles
// and a full stock of 100 shows 96.
void DrawMissileIcons(const Images& images, std::int32_t missiles, Side side) {
    SDL_Surface* icon = images.BulletImage[kMissileImage];
    for (std::int32_t p = 1; p <= 33; ++p) {
        for (std::int32_t q = 1; q <= 3; ++q) {
            if (3 * p + q >= missiles) continue;
            if (side == Side::Left) {
                Blit(images, 10 * q + 10, 10 * p + 10, icon);
            } else {
                Blit(images, ScreenWidth(images) - 10 * q - 3, 10 * p + 3, icon);
            }
        }
    }
}

// A rectangle height as SDL keeps it (16 bits, unsigned).  A negative value
// would wrap to a huge height and paint the column down to the bottom of the
// screen, so it is clamped to an empty rectangle instead.
Uint16 RectHeight(std::int32_t h) {
    return static_cast<Uint16>(std::clamp<std::int32_t>(h, 0, 0xFFFF));
}

void FillBar(const Images& images, std::int32_t x, Uint16 h, Uint32 colour) {
    SDL_Rect rect;
    rect.x = static_cast<Sint16>(x);
    rect.y = 25;
    rect.w = 15;
    rect.h = h;
    SDL_FillRect(images.screen, &rect, colour);
}

Uint16 BarHeight(const Images& images) {
    return RectHeight(ScreenHeight(images) - 170);
}

// The damage part covers the top (100 - health) / 100 of the bar, leaving the
// remaining health in the background colour at the bottom.  It never reaches
// past its bar: a health above 100 would make it negative, and one below 0
// (a ship only ever reaches exactly 0 in play) taller than the bar.
Uint16 DamageHeight(const Images& images, std::int32_t health) {
    const long double h = ScreenHeight(images);
    std::int32_t damage = RoundToInt(h - (health / 100.0L) * (h - 170.0L) - 170.0L);
    return std::min(RectHeight(damage), BarHeight(images));
}

// Spare ships as a stair of tokens in the bottom corner, each one 10 pixels
// further in and 10 lower.
void DrawLifeTokens(const Images& images, std::int32_t lives, Side side) {
    SDL_Surface* token = images.LifeTokenImage;
    if (token == nullptr) return;
    for (std::int32_t i = 1; i <= lives; ++i) {
        std::int32_t y = ScreenHeight(images) - token->h - 70 + 10 * i;
        std::int32_t x = side == Side::Left ? 10 * i + 10 : ScreenWidth(images) - 10 * i - 10;
        Blit(images, x, y, token);
    }
}

void DrawScores(const Images& images, const World& world, Console& console) {
    DrawNumber(images.screen, images.DigitImage, console, world.players[1].score, 20, 10);
    if (world.PlayerCount != 2) return;
    // Right-aligned by reserving 53 pixels per digit.
    const std::int32_t score = world.players[2].score;
    const std::int32_t digits = TextLength(IntToText(score));
    DrawNumber(images.screen, images.DigitImage, console, score, ScreenWidth(images) - 53 * digits,
               10);
}

void DrawJoinPrompt(const Images& images, const World& world, const RenderState& render) {
    if (world.PlayerCount == 2 || render.Blink != 1 || images.JoinImage == nullptr) return;
    Blit(images, ScreenWidth(images) - images.JoinImage->w - 50, 25, images.JoinImage);
}

// Alone and out: the game-over screen over everything.  With two players the
// out notices blink instead, on opposite phases, so that when both are out the
// notice swaps sides.
void DrawGameOver(const Images& images, const World& world, const RenderState& render) {
    if (world.GameOver == 1 && world.PlayerCount < 2) {
        Blit(images, 0, 0, images.GameOverImage);
        return;
    }
    SDL_Surface* notice = images.NoLivesImage;
    if (notice == nullptr) return;
    if (world.PlayerOneOut == 1 && render.Blink == 0) Blit(images, 50, 25, notice);
    if (world.PlayerTwoOut == 1 && render.Blink == 1)
        Blit(images, ScreenWidth(images) - notice->w - 50, 25, notice);
}

// The field of play: stars, ships, enemies and bullets, in that order.  The
// blink and flame toggles step here too.
void DrawField(RenderState& render, const World& world, const Images& images, Random& random,
               Console& console, std::int32_t framesPerSecond) {
    UpdateBlink(render, framesPerSecond);

    PrintLine(console, "Starting to render Starfield");
    RenderStarfield(render.stars, images, random);

    PrintLine(console, "Rendering Player 1s ship");
    DrawShip(images, world.players[1], render.FlameFrame);
    if (world.PlayerCount == 2) {
        PrintLine(console, "RenderPlayerTwosShip");
        DrawShip(images, world.players[2], render.FlameFrame);
    }

    PrintLine(console, "RenderEnemyShips");
    DrawEnemies(images, world, render.FlameFrame);
    // Every flame of this frame has been drawn with the old frame.
    render.FlameFrame = render.FlameFrame == 0 ? 1 : 0;

    PrintLine(console, "RenderBullets");
    DrawBullets(images, world);
}

// The status display over the field: missile stocks, health bars, spare
// ships, scores, the join prompt and the out notices or game-over screen.
void DrawStatus(const RenderState& render, const World& world, const Images& images,
                Console& console) {
    const Player& one = world.players[1];
    PrintLine(console, "Rendering player 1 missiles");
    DrawMissileIcons(images, one.missiles, Side::Left);

    FillBar(images, 50, BarHeight(images), SDL_MapRGB(images.screen->format, 0, 0, 255));
    PrintLine(console, "Rendering player 1 health");
    FillBar(images, 50, DamageHeight(images, one.health),
            SDL_MapRGB(images.screen->format, 255, 0, 255));

    PrintLine(console, "Rendering Player 1 lives");
    DrawLifeTokens(images, one.lives, Side::Left);

    if (world.PlayerCount == 2) {
        const Player& two = world.players[2];
        PrintLine(console, "Rendering player 2 stuff");
        DrawMissileIcons(images, two.missiles, Side::Right);
        // Player 2's bar colours are raw pixel values, not mapped colours.
        FillBar(images, ScreenWidth(images) - 50, BarHeight(images), 65000);
        FillBar(images, ScreenWidth(images) - 50, DamageHeight(images, two.health), 655);
        DrawLifeTokens(images, two.lives, Side::Right);
    }

    PrintLine(console, "Rendering score");
    DrawScores(images, world, console);

    PrintLine(console, "Player 2 press 2 to join drawing");
    DrawJoinPrompt(images, world, render);

    PrintLine(console, "Rendering Game Over");
    DrawGameOver(images, world, render);
}

} // namespace

void DrawEverything(RenderState& render, World& world, const Images& images, Random& random,
                    Console& console, std::int32_t framesPerSecond) {
    PrintLine(console, "inDrawEverything");
    DrawField(render, world, images, random, console, framesPerSecond);
    // The bullets have been drawn with this frame's images; their animation
    // steps now, before anything else is drawn.
    AnimateBullets(world);
    DrawStatus(render, world, images, console);
    PrintLine(console, "Exiting sub");
}
