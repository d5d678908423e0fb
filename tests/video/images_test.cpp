// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// LoadGraphics against the generated artwork in data/: every slot, its key
// and opacity, the trace, and what happens when a file is missing or broken.
#include "support/console.h"
#include "test_support.h"
#include "video/draw.h"
#include "video/images.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

enum class Key { None, Magenta, Black };

struct Expected {
    std::string slot;
    SDL_Surface* image;
    Key key;
    int alpha; // -1: no alpha set
};

void FreeAll(Images& images) {
    auto release = [](SDL_Surface*& s) {
        if (s) SDL_FreeSurface(s);
        s = nullptr;
    };
    for (auto& s : images.ShipImage)
        release(s);
    for (auto& s : images.EnemyImage)
        release(s);
    for (auto& s : images.StarImage)
        release(s);
    for (auto& s : images.BulletImage)
        release(s);
    for (auto& s : images.ExplosionImage)
        release(s);
    for (auto& s : images.FlameImage)
        release(s);
    for (auto& s : images.EnemyFlameImage)
        release(s);
    for (auto& s : images.DigitImage)
        release(s);
    for (SDL_Surface** s : {&images.TitleImage, &images.GameOverImage, &images.LifeTokenImage,
                            &images.HelpScreenImage, &images.NoLivesImage, &images.JoinImage})
        release(*s);
}

class LoadGraphicsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        images.screen = sdl.screen;
        SetOutputRoutine(console, [this](std::string_view text, int flags) {
            pending += text;
            if (flags & kPrintLineEnd) {
                pending.pop_back(); // the line break
                lines.push_back(pending);
                pending.clear();
            }
        });
    }
    void TearDown() override { FreeAll(images); }

    bool Load() { return LoadGraphics(images, console, failure); }

    std::vector<Expected> Table() {
        std::vector<Expected> t;
        auto add = [&](std::string slot, SDL_Surface* s, Key key, int alpha) {
            t.push_back({std::move(slot), s, key, alpha});
        };
        add("TitleImage", images.TitleImage, Key::None, -1);
        add("GameOverImage", images.GameOverImage, Key::Magenta, -1);
        add("LifeTokenImage", images.LifeTokenImage, Key::Magenta, 128);
        add("HelpScreenImage", images.HelpScreenImage, Key::None, -1);
        for (int d = 0; d <= 9; ++d)
            add("DigitImage" + std::to_string(d), images.DigitImage[d], Key::Magenta, 128);
        for (int i = 1; i <= 5; ++i)
            add("ShipImage" + std::to_string(i), images.ShipImage[i], Key::Magenta, -1);
        for (int i = 1; i <= 5; ++i)
            add("EnemyImage" + std::to_string(i), images.EnemyImage[i], Key::Magenta, -1);
        add("EnemyImage6", images.EnemyImage[6], Key::None, -1);
        for (int i = 1; i <= 20; ++i)
            add("StarImage" + std::to_string(i), images.StarImage[i],
                i <= 9 ? Key::Black : Key::Magenta, -1);
        for (int i = 1; i <= 5; ++i)
            add("BulletImage" + std::to_string(i), images.BulletImage[i], Key::Magenta, 222);
        add("BulletImage6", images.BulletImage[6], Key::Magenta, 166);
        add("BulletImage7", images.BulletImage[7], Key::Magenta, 128);
        add("BulletImage8", images.BulletImage[8], Key::Magenta, 200);
        add("ExplosionImage1", images.ExplosionImage[1], Key::Magenta, 200);
        add("ExplosionImage2", images.ExplosionImage[2], Key::Magenta, -1);
        add("NoLivesImage", images.NoLivesImage, Key::Magenta, -1);
        add("JoinImage", images.JoinImage, Key::Magenta, -1);
        for (int i = 0; i <= 1; ++i) {
            add("FlameImage" + std::to_string(i), images.FlameImage[i], Key::Magenta, 166);
            add("EnemyFlameImage" + std::to_string(i), images.EnemyFlameImage[i], Key::Magenta,
                166);
        }
        return t;
    }

    SdlScreen sdl;
    Images images;
    Console console;
    LoadFailure failure;
    std::vector<std::string> lines;
    std::string pending;
};

// Runs a test in a scratch copy of the game directory's data/, and comes back.
class ScratchDataDir {
  public:
    ScratchDataDir() : home(fs::current_path()) {
        char pattern[] = "/tmp/novawing-images-XXXXXX";
        root = mkdtemp(pattern);
        fs::copy(home / "data", root / "data", fs::copy_options::recursive);
        fs::current_path(root);
    }
    ~ScratchDataDir() {
        fs::current_path(home);
        fs::remove_all(root);
    }
    fs::path File(const std::string& name) const { return root / "data" / name; }

  private:
    fs::path home, root;
};

TEST_F(LoadGraphicsTest, FillsEverySlotWithASurfaceOfItsOwn) {
    ASSERT_TRUE(Load()) << failure.file << ": " << failure.reason;
    for (const Expected& e : Table())
        EXPECT_NE(e.image, nullptr) << e.slot;
    for (int i = 9; i <= 15; ++i)
        EXPECT_EQ(images.BulletImage[i], nullptr) << i;
    EXPECT_EQ(images.ShipImage[0], nullptr);
    EXPECT_EQ(images.StarImage[0], nullptr);

    // Files named in several slots are loaded once per slot.
    EXPECT_NE(images.EnemyImage[1], images.EnemyImage[5]);
    EXPECT_NE(images.EnemyImage[2], images.EnemyImage[4]);
    EXPECT_NE(images.EnemyImage[2], images.EnemyImage[6]);
    EXPECT_NE(images.EnemyImage[4], images.EnemyImage[6]);
    for (int i = 16; i <= 20; ++i) {
        EXPECT_NE(images.StarImage[i], images.StarImage[i - 6]) << i;
        EXPECT_EQ(images.StarImage[i]->w, images.StarImage[i - 6]->w) << i;
        EXPECT_EQ(images.StarImage[i]->h, images.StarImage[i - 6]->h) << i;
    }
    EXPECT_NE(images.BulletImage[8], images.ExplosionImage[2]);
    EXPECT_EQ(images.EnemyImage[5]->w, images.EnemyImage[1]->w);
    EXPECT_EQ(images.EnemyImage[6]->h, images.EnemyImage[2]->h);

    // The surfaces keep the files' own 24-bit format.
    EXPECT_EQ(images.TitleImage->format->BitsPerPixel, 24);
    EXPECT_EQ(images.ShipImage[3]->format->BitsPerPixel, 24);
}

TEST_F(LoadGraphicsTest, GivesEverySlotItsKeyAndOpacity) {
    ASSERT_TRUE(Load()) << failure.file << ": " << failure.reason;
    for (const Expected& e : Table()) {
        SDL_Surface* s = e.image;
        ASSERT_NE(s, nullptr) << e.slot;
        EXPECT_EQ(s->flags & SDL_RLEACCEL, 0u) << e.slot;
        if (e.key == Key::None) {
            EXPECT_EQ(s->flags & SDL_SRCCOLORKEY, 0u) << e.slot;
        } else {
            EXPECT_NE(s->flags & SDL_SRCCOLORKEY, 0u) << e.slot;
            const Uint32 key = e.key == Key::Magenta ? SDL_MapRGB(s->format, 255, 0, 255)
                                                     : SDL_MapRGB(s->format, 0, 0, 0);
            EXPECT_EQ(s->format->colorkey, key) << e.slot;
        }
        if (e.alpha < 0) {
            EXPECT_EQ(s->flags & SDL_SRCALPHA, 0u) << e.slot;
        } else {
            EXPECT_NE(s->flags & SDL_SRCALPHA, 0u) << e.slot;
            EXPECT_EQ(s->format->alpha, e.alpha) << e.slot;
        }
    }
}

TEST_F(LoadGraphicsTest, PrintsItsTraceInOrder) {
    ASSERT_TRUE(Load());
    std::vector<std::string> expected = {"Loading Graphics:", "Menu screen", "Gane Over Screen",
                                         "Life Token", "Help Screen"};
    for (int d = 0; d <= 9; ++d) {
        expected.push_back("Number  " + std::to_string(d));
        expected.push_back("setting colourkey");
        expected.push_back("setting alpha");
    }
    for (const char* line : {"Player Bitmaps 1", "2", "3", "4", "5", "6"})
        expected.push_back(line);
    EXPECT_EQ(lines, expected);
    EXPECT_TRUE(pending.empty());
}

// The pixel (x, y) of a loaded image, by its own format.
void ImagePixel(SDL_Surface* s, int x, int y, Uint8& r, Uint8& g, Uint8& b) {
    SDL_LockSurface(s);
    const Uint8* p = static_cast<const Uint8*>(s->pixels) + y * s->pitch + x * 3;
    const Uint32 value = p[0] | (p[1] << 8) | (p[2] << 16);
    SDL_UnlockSurface(s);
    SDL_GetRGB(value, s->format, &r, &g, &b);
}

// Finds a pixel that is not `r, g, b`.
bool FindOther(SDL_Surface* s, Uint8 kr, Uint8 kg, Uint8 kb, int& fx, int& fy) {
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x) {
            Uint8 r, g, b;
            ImagePixel(s, x, y, r, g, b);
            if (r != kr || g != kg || b != kb) {
                fx = x, fy = y;
                return true;
            }
        }
    return false;
}

TEST_F(LoadGraphicsTest, KeyedPixelsStayOutAndTranslucentOnesBlend) {
    ASSERT_TRUE(Load());
    const Uint8 bgR = 40, bgG = 200, bgB = 90;
    struct Case {
        SDL_Surface* image;
        int alpha;
        Uint8 key[3];
    };
    const Case cases[] = {{images.LifeTokenImage, 128, {255, 0, 255}},
                          {images.ExplosionImage[1], 200, {255, 0, 255}},
                          {images.BulletImage[1], 222, {255, 0, 255}},
                          {images.ShipImage[3], 255, {255, 0, 255}},
                          {images.StarImage[7], 255, {0, 0, 0}}};
    for (const Case& c : cases) {
        SDL_FillRect(sdl.screen, nullptr, SDL_MapRGB(sdl.screen->format, bgR, bgG, bgB));
        SDL_Rect to{100, 100, 0, 0};
        SDL_BlitSurface(c.image, nullptr, sdl.screen, &to);

        // The corner of every one of these images is transparent.
        Uint8 r, g, b;
        ImagePixel(c.image, 0, 0, r, g, b);
        EXPECT_EQ(r, c.key[0]);
        EXPECT_EQ(g, c.key[1]);
        EXPECT_EQ(b, c.key[2]);
        PixelAt(sdl.screen, 100, 100, r, g, b);
        EXPECT_EQ(r, bgR);
        EXPECT_EQ(g, bgG);
        EXPECT_EQ(b, bgB);

        int x = 0, y = 0;
        ASSERT_TRUE(FindOther(c.image, c.key[0], c.key[1], c.key[2], x, y));
        Uint8 sr, sg, sb;
        ImagePixel(c.image, x, y, sr, sg, sb);
        PixelAt(sdl.screen, 100 + x, 100 + y, r, g, b);
        // Classic SDL blends d + ((s - d) * alpha + 255) / 256, rounded down;
        // another SDL's blend lands within the bound measured for it.
        auto blended = [&](int s, int d) {
            if (c.alpha >= 255) return s;
            const int sum = (s - d) * c.alpha + 255;
            return d + (sum >= 0 ? sum / 256 : -((-sum + 255) / 256));
        };
        const int bound = LinkedSdlIsClassic() ? 0 : kOtherSdlBlendSteps;
        EXPECT_NEAR(r, blended(sr, bgR), bound) << "alpha " << c.alpha;
        EXPECT_NEAR(g, blended(sg, bgG), bound) << "alpha " << c.alpha;
        EXPECT_NEAR(b, blended(sb, bgB), bound) << "alpha " << c.alpha;
    }
}

// BlitAt with the real images (24-bit files, keyed, some translucent) on the
// 32-bit screen draws what SDL's own blit draws, also where the image is
// clipped at the edges: every bit alike on classic SDL, within a step of
// another SDL's rounding.
TEST_F(LoadGraphicsTest, BlitAtDrawsWhatSdlDraws) {
    ASSERT_TRUE(Load());
    SDL_Surface* other =
        SDL_CreateRGBSurface(SDL_SWSURFACE, 640, 480, 32, 0xff0000, 0x00ff00, 0x0000ff, 0);
    ASSERT_NE(other, nullptr);
    ASSERT_EQ(sdl.screen->format->BytesPerPixel, 4);
    // A busy ground, so every blend has something to mix with.
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            SDL_Rect dot{static_cast<Sint16>(x), static_cast<Sint16>(y), 1, 1};
            SDL_FillRect(sdl.screen, &dot,
                         SDL_MapRGB(sdl.screen->format, static_cast<Uint8>(x * 7 + y),
                                    static_cast<Uint8>(y * 3), static_cast<Uint8>(x ^ y)));
        }
    SDL_Surface* drawn[] = {images.ShipImage[1],      images.LifeTokenImage, images.DigitImage[8],
                            images.ExplosionImage[1], images.BulletImage[2], images.BulletImage[6],
                            images.BulletImage[7],    images.StarImage[8],   images.StarImage[13],
                            images.EnemyImage[1],     images.EnemyImage[6],  images.GameOverImage,
                            images.FlameImage[1]};
    const int spots[][2] = {{100, 120}, {-10, -7}, {630, 470}, {-30, 460}, {600, -20}, {0, 0}};
    int differing = 0;
    for (SDL_Surface* image : drawn)
        for (const auto& spot : spots) {
            // Both start from the same picture each time, so that another
            // SDL's rounding cannot pile up where the images overlap.
            for (int y = 0; y < 480; ++y)
                std::memcpy(static_cast<Uint8*>(other->pixels) + y * other->pitch,
                            static_cast<Uint8*>(sdl.screen->pixels) + y * sdl.screen->pitch,
                            640 * 4);
            BlitAt(sdl.screen, spot[0], spot[1], image);
            SDL_Rect from{0, 0, static_cast<Uint16>(image->w), static_cast<Uint16>(image->h)};
            SDL_Rect to{static_cast<Sint16>(spot[0]), static_cast<Sint16>(spot[1]), 0, 0};
            SDL_UpperBlit(image, &from, other, &to);
            differing += !SameAsSdlDraws(sdl.screen, other);
        }
    EXPECT_EQ(differing, 0);
    SDL_FreeSurface(other);
}

TEST_F(LoadGraphicsTest, LoadBmpGivesNothingForAFileItCannotUse) {
    EXPECT_EQ(LoadBMP("data/no-such-image.bmp"), nullptr);
    EXPECT_EQ(LoadBMP("config.cfg"), nullptr); // exists, but is no BMP
    SDL_Surface* ship = LoadBMP("data/forward.bmp");
    ASSERT_NE(ship, nullptr);
    EXPECT_EQ(ship->w, 48);
    SDL_FreeSurface(ship);

    // A header whose bit count is 6145 (0x1801): classic SDL once made a
    // 1-bit image with no colours of it, which crashed the first blit.
    ScratchDataDir scratch;
    std::string bmp(54 + 160, '\0');
    auto put = [&bmp](std::size_t at, std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            bmp[at + i] = static_cast<char>(value >> (8 * i));
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put(2, static_cast<std::uint32_t>(bmp.size()), 4);
    put(10, 54, 4);   // where the pixels start
    put(14, 40, 4);   // the header's size
    put(18, 5, 4);    // width
    put(22, 10, 4);   // height
    put(28, 6145, 2); // bits per pixel
    put(34, 160, 4);  // the pixels' size
    std::ofstream(scratch.File("ebullet.bmp"), std::ios::binary | std::ios::trunc) << bmp;
    EXPECT_EQ(LoadBMP(scratch.File("ebullet.bmp").c_str()), nullptr);

    // Headers claiming more than any image of the game could be are refused
    // before SDL allocates what they claim, and the reason names the file.
    struct Claim {
        std::uint32_t width, height, bits, size;
    };
    const Claim claims[] = {
        {40000, 10, 8, 0},       // wider than a window can be
        {10, 0x80000000u, 8, 0}, // taller, even read as a signed number
        {0xFFFFFFFFu, 10, 8, 0}, // a width of -1
        {8192, 8192, 32, 0},     // each side fits, but 256 MiB of pixels
        {5, 10, 8, 0xF0000000u}, // a pixel data size of 4 GB
        {5, 10, 7, 0},           // a bit count no BMP has
    };
    for (const Claim& c : claims) {
        put(18, c.width, 4);
        put(22, c.height, 4);
        put(28, c.bits, 2);
        put(34, c.size, 4);
        std::ofstream(scratch.File("ebullet.bmp"), std::ios::binary | std::ios::trunc) << bmp;
        SDL_ClearError();
        EXPECT_EQ(LoadBMP(scratch.File("ebullet.bmp").c_str()), nullptr)
            << c.width << "x" << c.height;
        EXPECT_NE(std::string(SDL_GetError()).find("ebullet.bmp"), std::string::npos)
            << SDL_GetError();
    }
    // The same small header told truthfully still loads, top-down as well.
    for (std::uint32_t height : {10u, static_cast<std::uint32_t>(-10)}) {
        put(18, 5, 4);
        put(22, height, 4);
        put(28, 32, 2);
        put(34, 5 * 10 * 4, 4);
        bmp.resize(54 + 5 * 10 * 4);
        put(2, static_cast<std::uint32_t>(bmp.size()), 4);
        std::ofstream(scratch.File("ebullet.bmp"), std::ios::binary | std::ios::trunc) << bmp;
        SDL_Surface* image = LoadBMP(scratch.File("ebullet.bmp").c_str());
        ASSERT_NE(image, nullptr) << SDL_GetError();
        EXPECT_EQ(image->w, 5);
        EXPECT_EQ(image->h, 10);
        SDL_FreeSurface(image);
    }
}

TEST_F(LoadGraphicsTest, StopsAtAMissingFileAndNamesIt) {
    ScratchDataDir scratch;
    fs::remove(scratch.File("enemy3.bmp"));
    EXPECT_FALSE(Load());
    EXPECT_EQ(failure.file, "data/enemy3.bmp");
    EXPECT_NE(failure.reason.find("enemy3.bmp"), std::string::npos) << failure.reason;
    // Loading stopped there: the enemies come after the trace line "6".
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "6");
    EXPECT_NE(images.EnemyImage[2], nullptr);
    EXPECT_EQ(images.EnemyImage[3], nullptr);
    EXPECT_EQ(images.StarImage[1], nullptr);
}

// A FIFO (which would block SDL's open for ever) or a device where an
// image should be stops loading at once, naming the file.
TEST_F(LoadGraphicsTest, RefusesAFifoOrADeviceInPlaceOfAnImage) {
    ScratchDataDir scratch;
    fs::remove(scratch.File("title.bmp"));
    ASSERT_EQ(mkfifo(scratch.File("title.bmp").c_str(), 0600), 0);
    EXPECT_FALSE(Load());
    EXPECT_EQ(failure.file, "data/title.bmp");
    EXPECT_NE(failure.reason.find("data/title.bmp: not a regular file"), std::string::npos)
        << failure.reason;
    EXPECT_EQ(images.TitleImage, nullptr);

    FreeAll(images);
    fs::remove(scratch.File("join.bmp"));
    fs::create_symlink("/dev/zero", scratch.File("join.bmp"));
    EXPECT_FALSE(Load());
    EXPECT_EQ(failure.file, "data/title.bmp"); // the FIFO still comes first
    fs::remove(scratch.File("title.bmp"));
    fs::copy_file(scratch.File("gameover.bmp"), scratch.File("title.bmp"));
    FreeAll(images);
    EXPECT_FALSE(Load());
    EXPECT_EQ(failure.file, "data/join.bmp");
    EXPECT_NE(failure.reason.find("not a regular file"), std::string::npos) << failure.reason;
}

// Every refusal names a reason, whatever SDL says: sdl12-compat over SDL 3
// refuses a truncated file with an empty error.
TEST_F(LoadGraphicsTest, StopsAtATruncatedOrForeignFile) {
    ScratchDataDir scratch;
    const std::string full = std::to_string(fs::file_size(scratch.File("7.bmp")));
    fs::resize_file(scratch.File("7.bmp"), 100);
    EXPECT_FALSE(Load());
    EXPECT_EQ(failure.file, "data/7.bmp");
    EXPECT_NE(failure.reason.find("data/7.bmp: the file ends before its pixels"), std::string::npos)
        << failure.reason;
    EXPECT_NE(failure.reason.find("(100 of " + full + " bytes)"), std::string::npos)
        << failure.reason;
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "Number  7");
    EXPECT_EQ(images.DigitImage[7], nullptr);

    // One byte short, and cut inside its header.
    const auto whole = fs::file_size(scratch.File("8.bmp"));
    for (const auto size : {whole - 1, decltype(whole){20}}) {
        FreeAll(images);
        fs::copy_file(scratch.File("8.bmp"), scratch.File("7.bmp"),
                      fs::copy_options::overwrite_existing);
        fs::resize_file(scratch.File("7.bmp"), size);
        EXPECT_FALSE(Load()) << size;
        EXPECT_EQ(failure.file, "data/7.bmp");
        EXPECT_FALSE(failure.reason.empty()) << size;
        // The digits' rows need no padding, so a byte less is a pixel less.
        if (size > 54) {
            EXPECT_NE(failure.reason.find("the file ends before its pixels"), std::string::npos)
                << failure.reason;
        }
    }

    // A file that is no BMP at all, late in the list.
    FreeAll(images);
    fs::copy_file(scratch.File("8.bmp"), scratch.File("7.bmp"),
                  fs::copy_options::overwrite_existing);
    std::ofstream(scratch.File("eflame2.bmp"), std::ios::trunc) << "not an image\n";
    EXPECT_FALSE(Load());
    EXPECT_EQ(failure.file, "data/eflame2.bmp");
    EXPECT_FALSE(failure.reason.empty());
    EXPECT_NE(images.EnemyFlameImage[0], nullptr);
    EXPECT_EQ(images.EnemyFlameImage[1], nullptr);
}

} // namespace
