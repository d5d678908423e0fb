// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// config.cfg as players write it, and as they get it wrong.
#include "control/startup.h"
#include "control_support.h"

#include <SDL.h>

#include <string>
#include <sys/stat.h>

namespace {

VideoSettings Read(const std::string& bytes) {
    ScratchDir dir;
    dir.Write("config.cfg", bytes);
    FileTable files;
    return ReadVideoConfig(files);
}

void ExpectSettings(const VideoSettings& v, int w, int h, int bpp, std::uint32_t flags) {
    EXPECT_EQ(v.width, w);
    EXPECT_EQ(v.height, h);
    EXPECT_EQ(v.bitsPerPixel, bpp);
    EXPECT_EQ(static_cast<std::uint32_t>(v.flags), flags);
}

} // namespace

TEST(VideoConfig, KeysAndValuesOnSeparateLines) {
    ExpectSettings(Read("xres\n640\nyres\n480\n"), 640, 480, 0, 0);
    ExpectSettings(Read("xres\r\n800\r\nyres\r\n600\r\ndepth\r\n16\r\n"), 800, 600, 16, 0);
    // Case and surrounding spaces do not matter; leading tabs are skipped.
    ExpectSettings(Read("  XRES  \n1024\n\tYres\n768\n"), 1024, 768, 0, 0);
    // A key and its value on one line is a single item that matches nothing.
    ExpectSettings(Read("xres 640\nyres 480\n"), 0, 0, 0, 0);
    // A trailing tab is part of the key, so it is not recognised.
    ExpectSettings(Read("xres\t\n640\n"), 0, 0, 0, 0);
}

TEST(VideoConfig, ValueLineIsAlwaysConsumed) {
    // The line after a value key is its value, even when it is a key.
    ExpectSettings(Read("xres\nsdl_fullscreen\n"), 0, 0, 0, 0);
    // Free text between entries is ignored.
    ExpectSettings(Read("my settings\nxres\n320\nnotes, with commas\nyres\n200\n"), 320, 200, 0, 0);
    // A later value overrides an earlier one.
    ExpectSettings(Read("xres\n320\nxres\n640\n"), 640, 0, 0, 0);
}

TEST(VideoConfig, FlagsAccumulate) {
    ExpectSettings(Read("sdl_doublebuf\nsdl_hwsurface\nsdl_doublebuf\n"), 0, 0, 0, 0x40000001u);
    ExpectSettings(Read("sdl_fullscreen\nsdl_hwaccel\nsdl_hwpalette\nsdl_swsurface\n"), 0, 0, 0,
                   SDL_FULLSCREEN | SDL_HWACCEL | SDL_HWPALETTE);
}

TEST(VideoConfig, NumberForms) {
    ExpectSettings(Read("xres\n&H280\nyres\n&o740\ndepth\n&b100000\n"), 640, 480, 32, 0);
    // Fractions round to the nearest, ties to even.
    ExpectSettings(Read("xres\n800.5\nyres\n801.5\ndepth\n1.5e1\n"), 800, 802, 15, 0);
    ExpectSettings(Read("xres\nwide\nyres\n480px\n"), 0, 480, 0, 0);
    // Out of the 32-bit range: saturated, never undefined.
    ExpectSettings(Read("xres\n1e20\nyres\n-1e20\n"), 2147483647, -2147483647 - 1, 0, 0);
}

TEST(VideoConfig, EndsOfFile) {
    // A value key on the last line reads an empty value: 0.
    ExpectSettings(Read("xres\n640\ndepth\n"), 640, 0, 0, 0);
    ExpectSettings(Read("xres\n640\ndepth"), 640, 0, 0, 0);
    // No final line end, extra blank lines, lone CRs.
    ExpectSettings(Read("xres\n640\nyres\n480"), 640, 480, 0, 0);
    ExpectSettings(Read("xres\n640\n\n\n\n"), 640, 0, 0, 0);
    ExpectSettings(Read("xres\r640\ryres\r480\r"), 640, 480, 0, 0);
    ExpectSettings(Read(""), 0, 0, 0, 0);
}

TEST(VideoConfig, MissingFileLeavesEverythingZero) {
    ScratchDir dir;
    FileTable files;
    ExpectSettings(ReadVideoConfig(files), 0, 0, 0, 0);
    // The number it would have used is free again.
    EXPECT_EQ(FreeFileNumber(files), 1);
}

// A config.cfg that is a FIFO, a directory or a device means no settings,
// and start-up goes on at once instead of waiting on it.
TEST(VideoConfig, ANameThatIsNoRegularFileMeansNoSettings) {
    {
        ScratchDir dir;
        ASSERT_EQ(mkfifo("config.cfg", 0600), 0);
        FileTable files;
        ExpectSettings(ReadVideoConfig(files), 0, 0, 0, 0);
        EXPECT_EQ(FreeFileNumber(files), 1);
    }
    {
        ScratchDir dir;
        ASSERT_EQ(mkdir("config.cfg", 0700), 0);
        FileTable files;
        ExpectSettings(ReadVideoConfig(files), 0, 0, 0, 0);
    }
    {
        ScratchDir dir;
        ASSERT_EQ(symlink("/dev/zero", "config.cfg"), 0);
        FileTable files;
        ExpectSettings(ReadVideoConfig(files), 0, 0, 0, 0);
    }
}

TEST(VideoConfig, HostileBytesAreHarmless) {
    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary.push_back(static_cast<char>((i * 7919) & 0xff));
    Read(binary); // must simply come back

    std::string withNul("xres\n64", 7);
    withNul += std::string("\0\n", 2) + "yres\n480\n";
    VideoSettings v = Read(withNul);
    EXPECT_EQ(v.width, 64); // trailing NULs are trimmed like spaces
    EXPECT_EQ(v.height, 480);

    // A megabyte-long line is read in 1024-byte items; the keys after it still work.
    ExpectSettings(Read(std::string(1 << 20, 'x') + "\nxres\n640\n"), 640, 0, 0, 0);
    // The file closes again after reading.
    ScratchDir dir;
    dir.Write("config.cfg", "xres\n640\n");
    FileTable files;
    ReadVideoConfig(files);
    EXPECT_EQ(FreeFileNumber(files), 1);
}
