#include "video/draw.h"

#include "support/console.h"
#include "support/rounding.h"
#include "support/text.h"

#include <cstdio>
#include <string_view>

void BlitAt(SDL_Surface* screen, std::int32_t x, std::int32_t y, SDL_Surface* image) {
    // Every image is checked when it is loaded, so this only guards against
    // drawing a slot that is meant to stay empty.
    if (image == nullptr || screen == nullptr) return;
    SDL_Rect source{0, 0, static_cast<Uint16>(image->w), static_cast<Uint16>(image->h)};
    // SDL's rectangles hold 16-bit positions; farther ones wrap round.
    SDL_Rect destination{static_cast<Sint16>(x), static_cast<Sint16>(y), 0, 0};
    SDL_UpperBlit(image, &source, screen, &destination);
}

void PageFlip(SDL_Surface* screen) {
    SDL_Flip(screen);
    SDL_PumpEvents();
    // Raw pixel 0 is black in every pixel format the screen can have.
    SDL_Rect whole{0, 0, static_cast<Uint16>(screen->w), static_cast<Uint16>(screen->h)};
    SDL_FillRect(screen, &whole, 0);
}

void DrawNumber(SDL_Surface* screen, const std::array<SDL_Surface*, 10>& digits, Console& console,
                std::int32_t value, std::int32_t x, std::int32_t y) {
    // The decimal text fits a small buffer ("-2147483648" is 11 characters),
    // so drawing the scores allocates nothing in each frame.
    char buffer[16];
    const int length = std::snprintf(buffer, sizeof buffer, "%d", static_cast<int>(value));
    const std::string_view text(buffer, static_cast<std::size_t>(length));

    PrintText(console, "Drawing number ", 0);
    PrintText(console, text, kPrintLineEnd);

    for (std::int32_t position = 1; position <= TextLength(text); ++position) {
        // A character that is no digit (the minus sign) reads as 0.
        const std::int32_t d = RoundToInt(ParseNumber(SubText(text, position, 1)));
        PrintInt(console, d, 0);
        if (d >= 0 && d <= 9) {
            PrintText(console, "It was ok, at", 0);
            PrintInt(console, x, kPrintZone);
            PrintInt(console, y, kPrintZone);
            PrintInt(console, d, kPrintLineEnd);
            BlitAt(screen, x, y, digits[d]);
            // Wraps rather than overflowing for a start near the end of the range.
            x = static_cast<std::int32_t>(static_cast<std::int64_t>(x) + 57);
        }
    }
}
