// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// Loading the images when one file of data/ is replaced by the fuzzed bytes.
// LoadGraphics must either load everything or stop with a failure that names
// that very file; it must never crash.  After a clean load the odd image is
// drawn the ways the game draws it: a menu pass, and frames with ships,
// enemies, shots, explosions, the status display and the game-over notices.
//
// The first input byte picks the file (low seven bits, over the sorted names
// in data/).  With its top bit clear the rest of the input is the file as it
// is; with it set the rest fills in the fields of a BMP header that is built
// here, so that the loader's header handling is reached without first having
// to stumble on a valid header.
//
// Run it from a game directory (with data/).  With NOVAWING_MAKE_SEEDS=DIR set
// it writes a seed corpus made from that data/ into DIR and stops.
#include "control/frame_loop.h"
#include "control/menu.h"
#include "control/startup.h"
#include "fuzz_support.h"
#include "soak/soak_harness.h"
#include "support/floating_point.h"
#include "video/draw.h"
#include "world/bullets.h"
#include "world/enemies.h"
#include "world/player.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Longest seed file taken into the corpus; the screens (900 kB each) are
// reached by mutating the small images with another file picked.
constexpr std::size_t kLargestSeed = 20000;
constexpr std::int64_t kMostPixels = 4 << 20; // built headers stay within 16 MB of pixels

struct Setup {
    std::vector<std::string> names; // the files of data/, sorted
    std::vector<fs::path> originals;
    // The 32-bit video screen, and surfaces laid out as SDL's 8-bit (3-3-2
    // palette), 16-bit and 24-bit screens: the game draws its images itself
    // on each kind, so each input is drawn on one of them.
    std::array<SDL_Surface*, 4> screens{};
};

Setup& TheSetup() {
    static Setup setup;
    return setup;
}

void Put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    Put16(out, at, v & 0xFFFF);
    Put16(out, at + 2, v >> 16);
}

// A BMP file whose header fields come from `field` (10 bytes) and whose
// palette, masks and pixels are `payload`.
std::vector<std::uint8_t> BuildBmp(const std::uint8_t* field, const std::uint8_t* payload,
                                   std::size_t payloadSize) {
    static constexpr std::uint16_t kDepths[] = {1, 4, 8, 16, 24, 32};
    static constexpr std::uint32_t kHeaderSizes[] = {40, 12, 56, 108, 124};
    const std::uint16_t depth = field[0] % 8 < 6 ? kDepths[field[0] % 8] : field[0];
    const std::uint32_t compression = field[1] % 5 < 4 ? field[1] % 5 : field[1];
    auto width = static_cast<std::int16_t>(field[2] | field[3] << 8);
    auto height = static_cast<std::int16_t>(field[4] | field[5] << 8);
    const std::int64_t area = static_cast<std::int64_t>(std::abs(width)) * std::abs(height);
    if (area > kMostPixels) height = static_cast<std::int16_t>(height / (area / kMostPixels + 1));
    const std::uint32_t coloursUsed = field[6];
    const std::uint32_t infoSize = field[7] % 6 < 5 ? kHeaderSizes[field[7] % 6] : field[7];
    const auto offsetShift = static_cast<std::int8_t>(field[8]);

    const std::size_t headerEnd = 14 + std::max<std::uint32_t>(infoSize, 12);
    std::vector<std::uint8_t> file(headerEnd, 0);
    file[0] = 'B';
    file[1] = 'M';
    Put32(file, 2, static_cast<std::uint32_t>(headerEnd + payloadSize));
    const std::uint32_t paletteBytes =
        depth <= 8 ? (coloursUsed ? coloursUsed : 1u << depth) * 4 : 0;
    Put32(file, 10, static_cast<std::uint32_t>(headerEnd + paletteBytes + offsetShift));
    Put32(file, 14, infoSize);
    if (infoSize == 12) { // the old OS/2 header: 16-bit fields
        Put16(file, 18, static_cast<std::uint16_t>(width));
        Put16(file, 20, static_cast<std::uint16_t>(height));
        Put16(file, 22, 1);
        Put16(file, 24, depth);
    } else if (headerEnd >= 54) {
        Put32(file, 18, static_cast<std::uint32_t>(static_cast<std::int32_t>(width)));
        Put32(file, 22, static_cast<std::uint32_t>(static_cast<std::int32_t>(height)));
        Put16(file, 26, 1);
        Put16(file, 28, depth);
        Put32(file, 30, compression);
        Put32(file, 46, coloursUsed);
    }
    file.insert(file.end(), payload, payload + payloadSize);
    return file;
}

// SDL itself is not built for coverage, so libFuzzer cannot see which of its
// paths an input took.  What it made of the file is told to libFuzzer
// instead: each bucket below is a function of its own, and calling it is new
// coverage the first time that bucket is reached.  So inputs that load in a
// new pixel format or size class, or fail for a new reason, are kept.
template <int Bucket>
void Reached() {
    static volatile int times = 0;
    times = times + 1;
}

template <int... Buckets>
constexpr std::array<void (*)(), sizeof...(Buckets)>
BucketTable(std::integer_sequence<int, Buckets...>) {
    return {&Reached<Buckets>...};
}

constexpr auto kBuckets = BucketTable(std::make_integer_sequence<int, 128>{});

int SizeClass(int n) {
    return n <= 0 ? 0 : n == 1 ? 1 : n < 8 ? 2 : n < 64 ? 3 : n < 1024 ? 4 : 5;
}

void TellOutcome(const SDL_Surface* image, const std::string& reason) {
    if (image == nullptr) {
        std::uint32_t hash = 2166136261u; // the failure reason picks one of 64 buckets
        for (char c : reason)
            hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
        kBuckets[64 + hash % 64]();
        return;
    }
    const SDL_PixelFormat* format = image->format;
    const int depth = format->BytesPerPixel * 2 + (format->palette != nullptr ? 1 : 0);
    kBuckets[(depth % 8) * 8 + SizeClass(image->w)]();
    kBuckets[(depth % 8) * 8 + SizeClass(image->h) + 2]();
}

// Puts the original back in place of the replaced file.
void Restore(const fs::path& replaced, const fs::path& original) {
    std::error_code ignored;
    fs::remove(replaced, ignored);
    fs::create_symlink(original, replaced);
}

void MakeSeeds(const Setup& setup, const char* dir) {
    fs::create_directories(dir);
    for (std::size_t i = 0; i < setup.names.size(); ++i) {
        std::ifstream in(setup.originals[i], std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
        if (bytes.size() > kLargestSeed) continue;
        std::ofstream out(fs::path(dir) / ("file-" + setup.names[i]), std::ios::binary);
        out.put(static_cast<char>(i));
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    // Built headers: each depth at 8 by 4 pixels, with a little pixel data.
    for (std::uint8_t depth = 0; depth < 6; ++depth) {
        std::ofstream out(fs::path(dir) / ("built-depth" + std::to_string(depth)),
                          std::ios::binary);
        const std::uint8_t head[] = {0x80, depth, 0, 8, 0, 4, 0, 0, 0, 0};
        out.write(reinterpret_cast<const char*>(head), sizeof head);
        for (int i = 0; i < 256; ++i)
            out.put(static_cast<char>(i * 37));
    }
}

// Draws with the images the ways the game does.
void DrawWith(const Images& images) {
    auto game = std::make_unique<Game>();
    soak::SoakClock clock;
    game->clock = &clock;
    SetOutputRoutine(game->console, [](std::string_view, int) {});
    game->images = images;
    World& world = game->world;
    world.sizes = MeasureWorldSizes(images);

    MenuPass(*game); // the title and the menu cursor
    BlitAt(images.screen, 0, 0, images.HelpScreenImage);

    SetEntryValues(world, 1);
    SetEntryValues(world, 2);
    world.PlayerCount = 2;
    world.players[2].health = 0; // a wreck: drawn as an explosion
    world.players[2].score = 1234567890;
    world.PlayerTwoOut = 1;
    SeedRandom(game->random, 1);
    for (std::int32_t type = 1; type <= 3; ++type)
        SpawnEnemy(world, 100 * type, 50 * type, type, game->random);
    world.enemies[4] = world.enemies[1];
    world.enemies[4].state = -1; // exploding
    world.enemies[4].timer = 5;
    world.CurrentPlayer = 1;
    for (std::int32_t style : {1, 2})
        FireBullet(world, kPlayerShot, 200, 300, style);
    world.CurrentPlayer = 0;
    for (std::int32_t style : {3, 5, 7, 8})
        FireBullet(world, kEnemyShot, 300, 100, style);
    for (std::int32_t image : {7, 8}) {
        Bullet& blast = world.bullets[20 + image];
        blast = Bullet{250, 250, 1, 1, image, 0, kExplosion, 15, 1};
    }

    BeginFrameLoop(*game);
    game->render.Blink = 1; // the join prompt's phase and the other notice
    RunFrame(*game);
    game->render.Blink = 0;
    world.PlayerOneOut = 1;
    RunFrame(*game);
    world.PlayerCount = 0; // alone and out: the game-over screen
    world.GameOver = 1;
    RunFrame(*game);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SetUpFloatingPoint();
    Setup& setup = TheSetup();
    const fs::path data = fs::absolute("data");
    if (!fs::is_directory(data)) fuzz::Fail("run this from a game directory: no data/ here");
    for (const fs::directory_entry& entry : fs::directory_iterator(data))
        if (entry.is_regular_file()) setup.names.push_back(entry.path().filename().string());
    std::sort(setup.names.begin(), setup.names.end());
    if (setup.names.empty() || setup.names.size() > 128) fuzz::Fail("unexpected data/ contents");
    for (const std::string& name : setup.names)
        setup.originals.push_back(data / name);

    if (const char* seeds = std::getenv("NOVAWING_MAKE_SEEDS")) {
        MakeSeeds(setup, seeds);
        std::exit(0);
    }

    // data/ here links to every original; one link at a time is replaced.
    fuzz::EnterPrivateDirectory("images");
    fs::create_directory("data");
    for (std::size_t i = 0; i < setup.names.size(); ++i)
        fs::create_symlink(setup.originals[i], fs::path("data") / setup.names[i]);

    setenv("SDL_VIDEODRIVER", "dummy", 1);
    SDL_Init(SDL_INIT_VIDEO);
    setup.screens[0] = SDL_SetVideoMode(640, 480, 32, 0);
    if (setup.screens[0] == nullptr) fuzz::Fail("no dummy screen: %s", SDL_GetError());
    setup.screens[1] = SDL_CreateRGBSurface(SDL_SWSURFACE, 640, 480, 8, 0, 0, 0, 0);
    setup.screens[2] = SDL_CreateRGBSurface(SDL_SWSURFACE, 640, 480, 16, 0xf800, 0x07e0, 0x1f, 0);
    setup.screens[3] =
        SDL_CreateRGBSurface(SDL_SWSURFACE, 640, 480, 24, 0xff0000, 0x00ff00, 0x0000ff, 0);
    for (SDL_Surface* screen : setup.screens)
        if (screen == nullptr) fuzz::Fail("no screen surface: %s", SDL_GetError());
    std::array<SDL_Color, 256> palette{};
    for (int i = 0; i < 256; ++i) {
        const int r = i & 0xe0, g = (i << 3) & 0xe0, b = (i & 3) * 0x55;
        palette[i] = {static_cast<Uint8>(r | r >> 3 | r >> 6),
                      static_cast<Uint8>(g | g >> 3 | g >> 6), static_cast<Uint8>(b), 0};
    }
    SDL_SetColors(setup.screens[1], palette.data(), 0, 256);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const Setup& setup = TheSetup();
    const std::size_t pick = (data[0] & 0x7F) % setup.names.size();
    const std::string path = "data/" + setup.names[pick];

    std::error_code ignored;
    fs::remove(path, ignored);
    if (data[0] & 0x80) {
        constexpr std::size_t kFields = 9;
        std::uint8_t field[kFields] = {};
        std::memcpy(field, data + 1, std::min(kFields, size - 1));
        const std::size_t used = std::min(size, 1 + kFields);
        const std::vector<std::uint8_t> bmp = BuildBmp(field, data + used, size - used);
        fuzz::WriteFile(path.c_str(), bmp.data(), bmp.size());
    } else {
        fuzz::WriteFile(path.c_str(), data + 1, size - 1);
    }

    Images images;
    images.screen = setup.screens[size % setup.screens.size()];
    Console console;
    SetOutputRoutine(console, [](std::string_view, int) {});
    {
        // The replaced file on its own first, to tell libFuzzer how it went.
        SDL_Surface* alone = LoadBMP(path.c_str());
        TellOutcome(alone, alone ? std::string() : std::string(SDL_GetError()));
        SDL_FreeSurface(alone);
    }
    LoadFailure failure;
    if (LoadGraphics(images, console, failure)) {
        DrawWith(images);
    } else {
        // Every other file is intact, so the failure is the replaced one's.
        if (failure.file != path)
            fuzz::Fail("failure names \"%s\", the broken file is %s", failure.file.c_str(),
                       path.c_str());
        if (failure.reason.empty()) fuzz::Fail("no reason given for %s", path.c_str());
    }
    FreeGraphics(images);
    Restore(path, setup.originals[pick]);
    return 0;
}
