// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The images: LoadBMP, LoadGraphics with its trace lines, colour keys and
// opacity, and FreeGraphics.
#include "video/images.h"

#include "support/console.h"
#include "support/regular_file.h"
#include "support/text.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

// The largest image the game could ever use.  Every image is drawn at a
// 16-bit SDL_Rect position and is never larger than the screen, and an X
// window is at most 32767 pixels on a side; no picture of the game comes
// near 4096 x 4096 at 32 bits (64 MiB).  A file that claims more is damaged,
// and refusing it here keeps SDL from trying to allocate whatever a broken
// header says (sdl12-compat over SDL2 tries 6 GB for some).
constexpr std::int64_t kMaxImageSide = 32767;
constexpr std::int64_t kMaxImageBytes = std::int64_t{64} << 20;

std::int64_t LittleEndian(const unsigned char* at, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | at[i];
    return value;
}

// What a BMP file's headers say, as far as the file holds them, and how long
// the file is.
struct BmpHeader {
    std::int64_t fileSize = 0;
    int got = 0;        // bytes of the headers read, up to 54
    bool magic = false; // starts with "BM"
    bool sized = false; // holds the fields up to the bit count
    std::int64_t pixelsAt = 0, infoSize = 0, width = 0, height = 0, bits = 0;
    std::int64_t compression = 0, dataSize = 0;
};

// Reads the headers at the start of `stream` and puts the stream back where
// it was.
BmpHeader ReadBmpHeader(SDL_RWops* stream) {
    BmpHeader h;
    h.fileSize = SDL_RWseek(stream, 0, RW_SEEK_END);
    SDL_RWseek(stream, 0, RW_SEEK_SET);
    unsigned char head[54] = {};
    h.got = SDL_RWread(stream, head, 1, sizeof head);
    SDL_RWseek(stream, 0, RW_SEEK_SET);
    h.magic = h.got >= 2 && head[0] == 'B' && head[1] == 'M';
    if (!h.magic || h.got < 14 + 12) return h;
    h.pixelsAt = LittleEndian(head + 10, 4);
    h.infoSize = LittleEndian(head + 14, 4);
    if (h.infoSize == 12) { // the oldest header: 16-bit sizes
        h.width = LittleEndian(head + 18, 2);
        h.height = LittleEndian(head + 20, 2);
        h.bits = LittleEndian(head + 24, 2);
        h.sized = true;
    } else if (h.got >= 14 + 16) {
        h.width = static_cast<std::int32_t>(LittleEndian(head + 18, 4));
        h.height = static_cast<std::int32_t>(LittleEndian(head + 22, 4));
        h.bits = LittleEndian(head + 28, 2);
        if (h.infoSize >= 20 && h.got >= 14 + 20) h.compression = LittleEndian(head + 30, 4);
        if (h.infoSize >= 24 && h.got >= 14 + 24) h.dataSize = LittleEndian(head + 34, 4);
        h.sized = true;
    }
    if (h.height < 0) h.height = -h.height; // rows stored top-down
    return h;
}

// The least an uncompressed BMP's pixels take from their start: every row
// but the last padded to a multiple of 4 bytes, and the last one without its
// padding, which not every SDL reads.  A shorter file cannot hold its image.
std::int64_t PixelBytes(const BmpHeader& h) {
    const std::int64_t row = (h.width * h.bits + 7) / 8;
    const std::int64_t padded = (h.width * h.bits + 31) / 32 * 4;
    return (h.height - 1) * padded + row;
}

// False, with SDL's error set naming the file, for a header no image of the
// game could have, or a file that ends before the pixels its header
// describes.  A file too short to hold the fields is left for SDL to refuse
// in its own words.
bool HeaderWithinBounds(const BmpHeader& h, const char* path) {
    if (!h.sized) return true;
    const char* fault = nullptr;
    if (h.infoSize < 12 || (h.infoSize > 12 && h.infoSize < 16))
        fault = "a bitmap header of a size no BMP has";
    else if (h.width <= 0 || h.height <= 0 || h.width > kMaxImageSide || h.height > kMaxImageSide)
        fault = "a size beyond 32767 pixels a side";
    else if (h.bits != 1 && h.bits != 4 && h.bits != 8 && h.bits != 16 && h.bits != 24 &&
             h.bits != 32)
        fault = "a bit count no BMP has";
    else if (h.width * h.height * 4 > kMaxImageBytes || h.dataSize > kMaxImageBytes)
        fault = "more than 64 MiB of pixels";
    // Classic SDL's SDL_SetError knows no long long, so the lines are made here.
    char reason[240];
    if (fault != nullptr) {
        std::snprintf(reason, sizeof reason,
                      "%s: header claims %lldx%lld at %lld bits per pixel, %s", path,
                      static_cast<long long>(h.width), static_cast<long long>(h.height),
                      static_cast<long long>(h.bits), fault);
        SDL_SetError("%s", reason);
        return false;
    }
    // Only uncompressed pixels (plain, or with colour masks) have a size
    // known from the header; SDL 1.2 refuses the compressed kinds itself.
    const bool uncompressed = h.compression == 0 || h.compression == 3;
    if (!uncompressed || h.fileSize < 0 || h.pixelsAt + PixelBytes(h) <= h.fileSize) return true;
    // Short enough for classic SDL's error text, 128 characters at most.
    std::snprintf(reason, sizeof reason, "%s: the file ends before its pixels (%lld of %lld bytes)",
                  path, static_cast<long long>(h.fileSize),
                  static_cast<long long>(h.pixelsAt + PixelBytes(h)));
    SDL_SetError("%s", reason);
    return false;
}

// What the game can say of a file SDL refused without a reason.
void ExplainSilentRefusal(const BmpHeader& h, const char* path) {
    char reason[240];
    if (!h.magic)
        std::snprintf(reason, sizeof reason, "%s: not a BMP file (it does not start with \"BM\")",
                      path);
    else if (!h.sized)
        std::snprintf(reason, sizeof reason, "%s: the file ends inside its header, at %lld bytes",
                      path, static_cast<long long>(h.fileSize));
    else
        std::snprintf(reason, sizeof reason,
                      "%s: SDL gave no reason (%lldx%lld, %lld bits, compression %lld, %lld bytes)",
                      path, static_cast<long long>(h.width), static_cast<long long>(h.height),
                      static_cast<long long>(h.bits), static_cast<long long>(h.compression),
                      static_cast<long long>(h.fileSize));
    SDL_SetError("%s", reason);
}

constexpr Uint8 kKeyRed = 255, kKeyGreen = 0, kKeyBlue = 255; // magenta

void SetKey(SDL_Surface* image, Uint8 r, Uint8 g, Uint8 b) {
    // The key is the image's own pixel value for the colour: the surfaces
    // keep the format of their files, and SDL converts only at blit time.
    SDL_SetColorKey(image, SDL_SRCCOLORKEY, SDL_MapRGB(image->format, r, g, b));
}

void SetMagentaKey(SDL_Surface* image) {
    SetKey(image, kKeyRed, kKeyGreen, kKeyBlue);
}

void SetOpacity(SDL_Surface* image, Uint8 alpha) {
    SDL_SetAlpha(image, SDL_SRCALPHA, alpha);
}

// Loads one slot; on failure records which file and why, so that start-up can
// refuse to go on instead of drawing with an empty slot later.
bool LoadSlot(SDL_Surface*& slot, const char* path, LoadFailure& failure) {
    slot = LoadBMP(path);
    if (slot != nullptr) return true;
    failure.file = path;
    failure.reason = SDL_GetError();
    return false;
}

// Opens an image only when it is a regular file: SDL would wait for ever
// on a FIFO with no writer, or read a device without end.
SDL_RWops* OpenImageFile(const char* path) {
    std::FILE* file = OpenRegularFile(path, "rb");
    if (file == nullptr) {
        if (errno == EINVAL)
            SDL_SetError("%s: not a regular file", path);
        else
            SDL_SetError("%s: %s", path, std::strerror(errno));
        return nullptr;
    }
    SDL_RWops* stream = SDL_RWFromFP(file, 1); // closes the file with the stream
    if (stream == nullptr) std::fclose(file);
    return stream;
}

} // namespace

SDL_Surface* LoadBMP(const char* path) {
    SDL_RWops* stream = OpenImageFile(path);
    if (stream == nullptr) return nullptr;
    const BmpHeader header = ReadBmpHeader(stream);
    if (!HeaderWithinBounds(header, path)) {
        SDL_RWclose(stream);
        return nullptr;
    }
    // An empty error after this means SDL refused the file without a word
    // (sdl12-compat over SDL 3 does so for a truncated file).
    SDL_ClearError();
    SDL_Surface* image = SDL_LoadBMP_RW(stream, 1); // closes the stream whatever happens
    if (image == nullptr) {
        const char* said = SDL_GetError();
        if (said == nullptr || *said == '\0') ExplainSilentRefusal(header, path);
        return nullptr;
    }
    // Classic SDL 1.2 takes a damaged header's bit count modulo 256, so a
    // file that claims 6145 bits per pixel comes back as a 1-bit image with
    // no colour table, and the first blit of it reads through a null
    // pointer.  An indexed image needs its colours.
    if (image->format->BitsPerPixel <= 8 && image->format->palette == nullptr) {
        const int bits = image->format->BitsPerPixel;
        SDL_FreeSurface(image);
        SDL_SetError("%s: %d bits per pixel with no colour table", path, bits);
        return nullptr;
    }
    return image;
}

void SetWindowTitleAndIcon() {
    // Start-up does not look at what SDL_Init said.  When that first try
    // failed (an X server that refused one connection for a moment, say),
    // setting the mode opens the video device itself and the window would
    // come up with no title and no icon, so the device is opened here in
    // the same way.  With no video device at all there is no window to
    // dress, and classic SDL's SDL_WM_SetIcon would follow a null device:
    // that failure is reported where the video mode is set.
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0 && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return;
    SDL_WM_SetCaption("Nova Wing", "Nova Wing");
    SDL_Surface* icon = LoadBMP("data/icon.bmp");
    if (icon == nullptr) {
        // The icon only dresses the window, so the game plays on without it.
        // One that is not there at all says nothing (a missing data/ is
        // reported by the images that follow); a FIFO, a device or a broken
        // file in its place is the player's to hear of.  While curses is up
        // the line waits for the terminal to be put back.
        std::error_code error;
        if (std::filesystem::symlink_status("data/icon.bmp", error).type() !=
            std::filesystem::file_type::not_found)
            std::fprintf(stderr,
                         "novawing: cannot load image data/icon.bmp: %s; the window has no icon\n",
                         SDL_GetError());
        SDL_ClearError(); // not the reason for anything that fails later
        return;
    }
    // With no mask given, SDL makes one from the colour key.  It keeps its
    // own copy of the picture, so ours can go at once.
    SetMagentaKey(icon);
    SDL_WM_SetIcon(icon, nullptr);
    SDL_FreeSurface(icon);
}

bool LoadGraphics(Images& images, Console& console, LoadFailure& failure) {
    PrintLine(console, "Loading Graphics:");
    PrintLine(console, "Menu screen");
    if (!LoadSlot(images.TitleImage, "data/title.bmp", failure)) return false;
    PrintLine(console, "Gane Over Screen");
    if (!LoadSlot(images.GameOverImage, "data/gameover.bmp", failure)) return false;
    PrintLine(console, "Life Token");
    if (!LoadSlot(images.LifeTokenImage, "data/lifetoken.bmp", failure)) return false;
    PrintLine(console, "Help Screen");
    if (!LoadSlot(images.HelpScreenImage, "data/helpscreen.bmp", failure)) return false;

    for (std::int32_t d = 0; d <= 9; ++d) {
        PrintText(console, "Number ", 0);
        PrintInt(console, d, kPrintLineEnd);
        const std::string path = "data/" + IntToText(d) + ".bmp";
        if (!LoadSlot(images.DigitImage[d], path.c_str(), failure)) return false;
        PrintLine(console, "setting colourkey");
        SetMagentaKey(images.DigitImage[d]);
        PrintLine(console, "setting alpha");
        SetOpacity(images.DigitImage[d], 128);
    }

    PrintLine(console, "Player Bitmaps 1");
    if (!LoadSlot(images.ShipImage[1], "data/left2.bmp", failure)) return false;
    PrintLine(console, "2");
    if (!LoadSlot(images.ShipImage[2], "data/left1.bmp", failure)) return false;
    PrintLine(console, "3");
    if (!LoadSlot(images.ShipImage[3], "data/forward.bmp", failure)) return false;
    PrintLine(console, "4");
    if (!LoadSlot(images.ShipImage[4], "data/right1.bmp", failure)) return false;
    PrintLine(console, "5");
    if (!LoadSlot(images.ShipImage[5], "data/right2.bmp", failure)) return false;

    PrintLine(console, "6");
    // Types 4 to 6 reuse the three enemy files, each as a surface of its own.
    static constexpr const char* kEnemyFiles[] = {"data/enemy1.bmp", "data/enemy2.bmp",
                                                  "data/enemy3.bmp", "data/enemy2.bmp",
                                                  "data/enemy1.bmp", "data/enemy2.bmp"};
    for (int i = 1; i <= 6; ++i)
        if (!LoadSlot(images.EnemyImage[i], kEnemyFiles[i - 1], failure)) return false;

    // Stars 16 to 20 are second copies of stars 10 to 14.
    for (std::int32_t i = 1; i <= 20; ++i) {
        const std::int32_t file = i <= 15 ? i : i - 6;
        const std::string path = "data/star" + IntToText(file) + ".bmp";
        if (!LoadSlot(images.StarImage[i], path.c_str(), failure)) return false;
    }

    static constexpr const char* kBulletFiles[] = {
        "data/bullet1.bmp", "data/bullet2.bmp",  "data/bullet3.bmp", "data/bullet4.bmp",
        "data/ebullet.bmp", "data/ebullet2.bmp", "data/bullet7.bmp", "data/explode2.bmp"};
    for (int i = 1; i <= 8; ++i)
        if (!LoadSlot(images.BulletImage[i], kBulletFiles[i - 1], failure)) return false;
    if (!LoadSlot(images.ExplosionImage[1], "data/explode1.bmp", failure)) return false;

    SetOpacity(images.ExplosionImage[1], 200);
    SetOpacity(images.BulletImage[8], 200);

    if (!LoadSlot(images.NoLivesImage, "data/nolives.bmp", failure)) return false;
    if (!LoadSlot(images.JoinImage, "data/join.bmp", failure)) return false;
    if (!LoadSlot(images.ExplosionImage[2], "data/explode2.bmp", failure)) return false;
    if (!LoadSlot(images.FlameImage[0], "data/flame1.bmp", failure)) return false;
    if (!LoadSlot(images.FlameImage[1], "data/flame2.bmp", failure)) return false;
    if (!LoadSlot(images.EnemyFlameImage[0], "data/eflame1.bmp", failure)) return false;
    if (!LoadSlot(images.EnemyFlameImage[1], "data/eflame2.bmp", failure)) return false;

    SetMagentaKey(images.JoinImage);
    SetMagentaKey(images.NoLivesImage);

    for (int i = 1; i <= 2; ++i) {
        SetMagentaKey(images.EnemyFlameImage[i - 1]);
        SetMagentaKey(images.FlameImage[i - 1]);
        SetMagentaKey(images.ExplosionImage[i]);
        SetOpacity(images.FlameImage[i - 1], 166);
        SetOpacity(images.EnemyFlameImage[i - 1], 166);
    }

    // EnemyImage[6] stays unkeyed: no enemy type draws it.
    for (int i = 1; i <= 5; ++i) {
        SetMagentaKey(images.ShipImage[i]);
        SetMagentaKey(images.EnemyImage[i]);
        SetMagentaKey(images.BulletImage[i]);
        SetOpacity(images.BulletImage[i], 222);
    }

    SetMagentaKey(images.BulletImage[6]);
    SetOpacity(images.BulletImage[6], 166);
    SetMagentaKey(images.BulletImage[7]);
    SetOpacity(images.BulletImage[7], 128);
    SetMagentaKey(images.BulletImage[8]);

    // The faint dots sit on black, the distant bodies on magenta.
    for (int i = 1; i <= 9; ++i)
        SetKey(images.StarImage[i], 0, 0, 0);
    for (int i = 10; i <= 20; ++i)
        SetMagentaKey(images.StarImage[i]);

    SetMagentaKey(images.GameOverImage);
    SetMagentaKey(images.LifeTokenImage);
    SetOpacity(images.LifeTokenImage, 128);
    return true;
}

void FreeGraphics(Images& images) {
    auto release = [](SDL_Surface*& image) {
        SDL_FreeSurface(image); // nothing for an empty slot
        image = nullptr;
    };
    auto releaseTable = [&release](auto& table) {
        for (SDL_Surface*& image : table)
            release(image);
    };
    releaseTable(images.ShipImage);
    releaseTable(images.EnemyImage);
    releaseTable(images.StarImage);
    releaseTable(images.BulletImage);
    releaseTable(images.ExplosionImage);
    releaseTable(images.FlameImage);
    releaseTable(images.EnemyFlameImage);
    releaseTable(images.DigitImage);
    for (SDL_Surface** single : {&images.TitleImage, &images.GameOverImage, &images.LifeTokenImage,
                                 &images.HelpScreenImage, &images.NoLivesImage, &images.JoinImage})
        release(*single);
    if (images.ownScreen != nullptr) {
        release(images.ownScreen);
        images.screen = nullptr;
    }
}
