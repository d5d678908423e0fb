// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The full-screen images and the small ones drawn with lettering: title, help,
// game over, the notices, the score digits and the life token.
#include "screens.h"

#include "effects.h"
#include "noise.h"
#include "palette.h"
#include "ships.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

constexpr int kScreenW = 640, kScreenH = 480;

// The menu cursor's top-left corner for each item, fixed by the game.
constexpr Vec2 kStartCursor{345, 195};
constexpr Vec2 kOnePlayerCursor{473, 245};
constexpr Vec2 kTwoPlayerCursor{500, 245};
constexpr Vec2 kHelpCursor{345, 295};
constexpr Vec2 kQuitCursor{345, 370};
// "PLAYERS" lines up with the other labels; the cursor on that row stands by
// the 1 or the 2 instead.
constexpr Vec2 kPlayersLabel{kStartCursor.x, kOnePlayerCursor.y};

const Lettering kMenuLettering{2.6f,
                               1.3f,
                               6.0f,
                               1.1f,
                               Material{Hex(246, 250, 255), Hex(150, 196, 240), 0, 1, 0.6f, 20, 0},
                               Plain(Hex(10, 14, 40), 0.1f, 8)};

void CompositeLettering(Image& target, std::string_view text, Vec2 origin, const Lettering& style) {
    const float margin = style.radius + style.rim + 2;
    const int x0 = static_cast<int>(std::floor(origin.x - margin));
    const int y0 = static_cast<int>(std::floor(origin.y - margin));
    const int w = static_cast<int>(LetteringWidth(text, style) + 2 * margin) + 2;
    const int h = static_cast<int>(LetteringHeight(style) + 2 * margin) + 2;
    Composite(target, LetteringArt(w, h, text, origin - Vec2{float(x0), float(y0)}, style), x0, y0);
}

// A menu label whose ink starts `gap` pixels right of the cursor and whose
// middle lines up with the cursor's.
void MenuLabel(Image& target, std::string_view text, Vec2 cursor, const Image& cursorImage,
               float gap = 7) {
    const Lettering& style = kMenuLettering;
    const float inkLeft = cursor.x + static_cast<float>(cursorImage.w) + gap;
    const float middle = cursor.y + static_cast<float>(cursorImage.h) * 0.5f;
    const Vec2 origin{inkLeft - LetteringLeft(text, style),
                      middle - LetteringHeight(style) * 0.5f - (style.cell * 0.5f - style.radius)};
    CompositeLettering(target, text, origin, style);
}

// A big world low on the left, lit from the upper left, with a thin halo.
void DrawPlanet(Image& target, Vec2 centre, float radius) {
    const int top = std::max(0, static_cast<int>(centre.y - radius - 12));
    const int right = std::min(target.w, static_cast<int>(centre.x + radius + 12));
    Coverage halo(right, target.h - top);
    for (int y = 0; y < halo.h; ++y)
        for (int x = 0; x < halo.w; ++x) {
            const float r = Length(Vec2{x + 0.5f, y + top + 0.5f} - centre);
            if (r < radius || r > radius + 12) continue;
            const float t = 1.0f - (r - radius) / 12.0f;
            const std::size_t k = halo.Index(x, y);
            halo.colour[k] = Hex(90, 170, 255);
            halo.cover[k] = t * t * 0.5f;
        }
    Composite(target, halo, 0, top);
    const Coverage world = SampleField(right, target.h - top, [&](Vec2 p, Color& c) {
        return PaintSphere(
            p + Vec2{0, float(top)}, centre, radius,
            [](float lat, float lon) {
                const float land = Fractal(lon * 3 + 7, lat * 3 + 2, 31);
                const float cloud = Fractal(lon * 6 + 1, lat * 14 + 4, 32);
                Color ground = land > 0.55f
                                   ? Mix(Hex(70, 110, 70), Hex(150, 130, 90), (land - 0.55f) * 3)
                                   : Mix(Hex(20, 50, 120), Hex(30, 90, 150), land);
                if (cloud > 0.58f) ground = Mix(ground, Hex(230, 236, 245), (cloud - 0.58f) * 3);
                return ground;
            },
            c);
    });
    Composite(target, world, 0, top);
}

void DrawSprite(Image& target, const Image& sprite, int x, int y) {
    target.Paste(sprite, x, y, kMagenta);
}

// A sprite shrunk by a whole factor, for the help screen's small samples.
Image Shrunk(const Image& sprite, int factor) {
    Image out(sprite.w / factor, sprite.h / factor, kMagenta);
    for (int y = 0; y < out.h; ++y)
        for (int x = 0; x < out.w; ++x) {
            Color sum;
            int solid = 0;
            for (int j = 0; j < factor; ++j)
                for (int i = 0; i < factor; ++i) {
                    const Rgb c = sprite.At(x * factor + i, y * factor + j);
                    if (c == kMagenta) continue;
                    sum = sum + ToColor(c);
                    ++solid;
                }
            if (solid * 2 >= factor * factor)
                out.At(x, y) = ToRgb(sum * (1.0f / static_cast<float>(solid)));
        }
    KeepClearOfKey(out, kMagenta);
    return out;
}

const Color kTextWhite = Hex(236, 242, 255);
const Color kTextGrey = Hex(170, 184, 210);
const Color kPlayerOne = Hex(110, 220, 255);
const Color kPlayerTwo = Hex(255, 200, 90);

} // namespace

Coverage LetteringArt(int w, int h, std::string_view text, Vec2 origin, const Lettering& style) {
    const std::vector<Stroke> strokes = TextStrokes(text, origin, style.cell, style.advance);
    Sprite sprite{w, h, {}, false};
    Material face = style.face;
    // The face's gradient runs from the top of the ink to its bottom.
    face.gradientTop = origin.y;
    face.gradientBottom = origin.y + kGlyphHeight * style.cell;
    const float radius = style.radius, rim = style.rim;
    if (rim > 0)
        sprite.layers.push_back(
            {[strokes, radius, rim](Vec2 p) { return SdStrokes(p, strokes, radius + rim); },
             style.rimMaterial, 0.6f, rim, 0, LayerMode::Solid});
    sprite.layers.push_back({[strokes, radius](Vec2 p) { return SdStrokes(p, strokes, radius); },
                             face, radius * 0.9f, radius, 0.6f, LayerMode::Solid});
    return Render(sprite);
}

float LetteringLeft(std::string_view text, const Lettering& style) {
    // The first character's leftmost set column.
    int column = kGlyphWidth;
    for (int row = 0; row < kGlyphHeight && !text.empty(); ++row)
        for (int c = 0; c < kGlyphWidth; ++c)
            if (GlyphPixel(text[0], c, row)) column = std::min(column, c);
    return (static_cast<float>(column) + 0.5f) * style.cell - style.radius;
}

float LetteringWidth(std::string_view text, const Lettering& style) {
    return StrokeTextWidth(text, style.cell, style.advance);
}

float LetteringHeight(const Lettering& style) {
    return (kGlyphHeight - 1) * style.cell + 2 * style.radius;
}

Image Backdrop(int w, int h, unsigned seed) {
    Image image(w, h, kBlack);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float t = static_cast<float>(y) / static_cast<float>(h);
            Color c = Mix(Hex(8, 10, 34), Hex(2, 2, 12), t);
            // Faint nebula: purple and blue veils.
            const float veil = Fractal(x * 0.006f, y * 0.009f, seed);
            const float glow = std::max(0.0f, veil - 0.45f) * 2.2f;
            c = c +
                Mix(Hex(70, 30, 110), Hex(20, 60, 130), Fractal(x * 0.01f, y * 0.01f, seed + 1)) *
                    (glow * glow * 0.8f);
            image.At(x, y) = ToRgb(c);
        }
    // Stars, some with a soft cross of light.
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float r = HashUnit(x, y, seed + 9);
            if (r > 0.0035f) continue;
            const float bright = 0.35f + 0.65f * HashUnit(x, y, seed + 10);
            const Color tint =
                Mix(Hex(170, 190, 255), Hex(255, 236, 200), HashUnit(x, y, seed + 11));
            image.Blend(x, y, tint, bright);
            if (r < 0.0004f) {
                for (int d = 1; d <= 2; ++d) {
                    const float a = bright * (d == 1 ? 0.5f : 0.2f);
                    image.Blend(x + d, y, tint, a);
                    image.Blend(x - d, y, tint, a);
                    image.Blend(x, y + d, tint, a);
                    image.Blend(x, y - d, tint, a);
                }
            }
        }
    return image;
}

Image TitleScreen(const Image& cursor) {
    Image image = Backdrop(kScreenW, kScreenH, 41);
    DrawPlanet(image, {150, 640}, 300);

    // NOVA WING in chrome tube letters with a cyan glow behind.
    const Lettering title{6.0f,
                          3.5f,
                          6.6f,
                          1.8f,
                          Material{Hex(250, 252, 255), Hex(70, 130, 220), 0, 1, 0.9f, 26, 0},
                          Plain(Hex(8, 20, 60), 0.2f, 8)};
    const std::string_view name = "NOVA WING";
    const float titleWidth = LetteringWidth(name, title);
    const Vec2 titleOrigin{(kScreenW - titleWidth) * 0.5f, 48};
    {
        // The glow: the letters' shape, widened and faded out.
        const std::vector<Stroke> strokes =
            TextStrokes(name, titleOrigin, title.cell, title.advance);
        for (int y = 20; y < 130; ++y)
            for (int x = 100; x < 540; ++x) {
                const float d = SdStrokes({x + 0.5f, y + 0.5f}, strokes, title.radius);
                if (d < 0 || d > 16) continue;
                const float t = 1.0f - d / 16.0f;
                image.Blend(x, y, Hex(60, 170, 255), t * t * 0.55f);
            }
    }
    CompositeLettering(image, name, titleOrigin, title);
    DrawTextCentred(image, kScreenW / 2, 112, "TWO PILOTS. ONE SKY. NO RETREAT.", 2,
                    Hex(180, 210, 255), Hex(110, 150, 220));

    // The fighter, banking gently, its engines lit.
    const Coverage ship = Render(PlayerShip(176), 0.22f);
    const int shipX = 70, shipY = 168;
    for (int side = -1; side <= 1; side += 2) {
        const float axis = shipX + 88 + side * 18.3f + 3.5f;
        const Coverage flame = SampleField(22, 70, [&](Vec2 p, Color& c) {
            const float along = p.y, across = p.x - 11;
            if (along > 64 - std::fabs(across) * 3) return false;
            const float half = 10.0f * std::pow(1.0f - along / 64.0f, 0.65f);
            if (std::fabs(across) > half) return false;
            const float t = along / 64.0f + std::fabs(across) / half * 0.35f;
            c = Mix(Mix(Hex(240, 252, 255), Hex(90, 170, 255), std::min(1.0f, t * 1.6f)),
                    Hex(30, 50, 180), std::max(0.0f, t - 0.6f) * 2.5f);
            return true;
        });
        Composite(image, flame, static_cast<int>(axis) - 11, shipY + 174, 0.8f);
    }
    Composite(image, ship, shipX, shipY);

    // The menu on a dark glass panel, which also keeps stars away from where
    // the cursor stands.
    for (int y = 178; y < 398; ++y)
        for (int x = 330; x < 550; ++x) {
            const float d = SdBox({x + 0.5f, y + 0.5f}, {440, 288}, {110, 110}, 12);
            if (d >= 0) continue;
            image.Blend(x, y, d > -1.5f ? Hex(90, 140, 220) : Hex(4, 8, 26),
                        d > -1.5f ? 0.45f : 0.62f);
        }

    // The menu: each label just right of where the cursor stands for it.
    MenuLabel(image, "START", kStartCursor, cursor);
    MenuLabel(image, "PLAYERS", kPlayersLabel, cursor);
    MenuLabel(image, "1", kOnePlayerCursor, cursor, 5);
    MenuLabel(image, "2", kTwoPlayerCursor, cursor, 5);
    MenuLabel(image, "HELP", kHelpCursor, cursor);
    MenuLabel(image, "QUIT", kQuitCursor, cursor);

    DrawTextCentred(image, 490, 430, "UP / DOWN TO CHOOSE", 1, kTextGrey, kTextGrey);
    DrawTextCentred(image, 490, 442, "SPACE OR LEFT ARROW TO SELECT", 1, kTextGrey, kTextGrey);
    return image;
}

Image HelpScreen(const HelpSprites& sprites) {
    Image image = Backdrop(kScreenW, kScreenH, 77);

    const Lettering heading{4.0f,
                            1.9f,
                            6.4f,
                            1.3f,
                            Material{Hex(255, 255, 255), Hex(120, 180, 245), 0, 1, 0.8f, 24, 0},
                            Plain(Hex(8, 18, 56), 0.2f, 8)};
    const std::string_view title = "HOW TO PLAY";
    CompositeLettering(image, title, {(kScreenW - LetteringWidth(title, heading)) * 0.5f, 18},
                       heading);

    // The two pilots' keys, side by side.
    struct KeyLine {
        const char* key;
        const char* action;
    };
    const KeyLine one[] = {{"ARROW KEYS", "FLY"}, {"SPACE", "GUNS"}, {"RIGHT ALT", "MISSILES"}};
    const KeyLine two[] = {{"W S A D", "FLY"}, {"F", "GUNS"}, {"G", "MISSILES"}};
    const int columns[2] = {40, 340};
    DrawSprite(image, *sprites.ship, columns[0], 70);
    DrawSprite(image, *sprites.ship, columns[1], 70);
    DrawText(image, columns[0] + 58, 80, "PLAYER 1", 3, kPlayerOne,
             Mix(kPlayerOne, Hex(40, 90, 200), 0.5f));
    DrawText(image, columns[1] + 58, 80, "PLAYER 2", 3, kPlayerTwo,
             Mix(kPlayerTwo, Hex(200, 90, 30), 0.5f));
    for (int i = 0; i < 3; ++i) {
        const int y = 130 + i * 22;
        DrawText(image, columns[0], y, one[i].key, 2, kTextWhite, kTextGrey);
        DrawText(image, columns[0] + 140, y, one[i].action, 2, kPlayerOne, kPlayerOne);
        DrawText(image, columns[1], y, two[i].key, 2, kTextWhite, kTextGrey);
        DrawText(image, columns[1] + 140, y, two[i].action, 2, kPlayerTwo, kPlayerTwo);
    }
    DrawTextCentred(image, kScreenW / 2, 206, "PLAYER 2 CAN JOIN AT ANY TIME: PRESS 2", 2,
                    kTextWhite, kTextGrey);
    DrawTextCentred(image, kScreenW / 2, 226, "ESCAPE QUITS THE GAME", 2, kTextWhite, kTextGrey);

    // What the status display shows, with the same pictures as in play.
    DrawText(image, 40, 262, "ON SCREEN", 2, Hex(255, 255, 255), Hex(150, 200, 255));
    const int top = 290;
    // Health bar: blue is what is left, magenta what is lost.
    image.FillRect(48, top, 15, 64, {0, 0, 255});
    image.FillRect(48, top, 15, 22, {255, 0, 255});
    DrawText(image, 74, top + 26, "HEALTH", 2, kTextWhite, kTextGrey);
    for (int i = 0; i < 6; ++i)
        DrawSprite(image, *sprites.missile, 190 + (i % 3) * 10, top + 6 + (i / 3) * 14);
    DrawText(image, 230, top + 12, "MISSILES", 2, kTextWhite, kTextGrey);
    DrawText(image, 230, top + 30, "IN STOCK", 2, kTextWhite, kTextGrey);
    for (int i = 1; i <= 3; ++i)
        DrawSprite(image, *sprites.tokenShip, 180 + 10 * i, top + 36 + 10 * i);
    DrawText(image, 230, top + 60, "SPARE SHIPS", 2, kTextWhite, kTextGrey);
    const Image smallFour = Shrunk(*sprites.digits[4], 2);
    const Image smallZero = Shrunk(*sprites.digits[0], 2);
    DrawSprite(image, smallFour, 410, top + 4);
    DrawSprite(image, smallZero, 438, top + 4);
    DrawSprite(image, smallZero, 466, top + 4);
    DrawText(image, 500, top + 12, "SCORE", 2, kTextWhite, kTextGrey);

    // The enemies and what each is worth.
    DrawText(image, 40, 396, "ENEMIES", 2, Hex(255, 255, 255), Hex(150, 200, 255));
    const char* points[3] = {"400", "300", "200"};
    const int enemyX[3] = {150, 310, 460};
    for (int i = 0; i < 3; ++i) {
        const Image& enemy = *sprites.enemies[i];
        DrawSprite(image, enemy, enemyX[i], 448 - enemy.h);
        DrawText(image, enemyX[i] + enemy.w + 10, 428, points[i], 2, kPlayerTwo, kPlayerTwo);
    }
    return image;
}

Image GameOverScreen() {
    Image image(kScreenW, kScreenH, kMagenta);
    const Lettering big{8.0f,
                        3.6f,
                        6.5f,
                        2.2f,
                        Material{Hex(255, 244, 170), Hex(230, 70, 30), 0, 1, 0.8f, 24, 0},
                        Plain(Hex(40, 8, 10), 0.2f, 8)};
    const std::string_view text = "GAME OVER";
    const float width = LetteringWidth(text, big);
    const Vec2 origin{(kScreenW - width) * 0.5f, 180};
    const Coverage art = LetteringArt(kScreenW, kScreenH, text, origin, big);
    image.Paste(Keyed(art, kMagenta), 0, 0, kMagenta);
    DrawTextCentred(image, kScreenW / 2, 262 + 20, "PRESS ESCAPE TO QUIT", 2, kTextWhite,
                    kTextGrey);
    KeepClearOfKey(image, kMagenta);
    return image;
}

Image Notice(std::string_view text, Color top, Color bottom, Color border) {
    const int w = TextWidth(text, 2) + 20, h = 28;
    Image image(w, h, kMagenta);
    // A dark rounded panel with a bright edge, so the words read over anything.
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float d =
                SdBox({x + 0.5f, y + 0.5f}, {w * 0.5f, h * 0.5f}, {w * 0.5f, h * 0.5f}, 6);
            if (d >= 0) continue;
            const float t = static_cast<float>(y) / static_cast<float>(h);
            image.At(x, y) = ToRgb(d > -1.6f ? border : Mix(Hex(26, 30, 64), Hex(10, 12, 32), t));
        }
    DrawText(image, 10, 7, text, 2, top, bottom, true, {4, 4, 12});
    KeepClearOfKey(image, kMagenta);
    return image;
}

Image Digit(int d) {
    const Lettering style{6.8f,
                          3.2f,
                          6.0f,
                          1.2f,
                          Material{Hex(255, 246, 190), Hex(246, 150, 40), 0, 1, 0.8f, 22, 0},
                          Plain(Hex(70, 30, 8), 0.2f, 8)};
    const std::string text(1, static_cast<char>('0' + d));
    // The whole 5x7 box centred in 40x50, whatever the digit's own width, so
    // that all ten line up.
    const Vec2 origin{(40 - 5 * style.cell) * 0.5f, (50 - 7 * style.cell) * 0.5f};
    return Keyed(LetteringArt(40, 50, text, origin, style), kMagenta);
}

Image LifeToken() {
    return Keyed(Render(PlayerShip(16)), kMagenta);
}
