// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// config.cfg from end to end: the fuzzed bytes are the file, ReadVideoConfig
// turns them into the four settings.  Besides not crashing, the reader must
// give its file number back, set only the flags it knows, leave a setting
// alone unless its key occurs, and let a trailing entry change only its own
// setting.
#include "control/startup.h"
#include "fuzz_support.h"
#include "support/floating_point.h"
#include "support/text.h"

#include <SDL.h>

#include <cstdint>
#include <string>

namespace {

constexpr std::uint32_t kKnownFlags =
    SDL_HWSURFACE | SDL_DOUBLEBUF | SDL_FULLSCREEN | SDL_HWACCEL | SDL_HWPALETTE;

VideoSettings ReadConfig(const std::string& bytes) {
    fuzz::WriteFile("config.cfg", reinterpret_cast<const std::uint8_t*>(bytes.data()),
                    bytes.size());
    FileTable files;
    VideoSettings video = ReadVideoConfig(files);
    if (FreeFileNumber(files) != 1) fuzz::Fail("config.cfg was left open");
    return video;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SetUpFloatingPoint();
    fuzz::EnterPrivateDirectory("config");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const VideoSettings video = ReadConfig(bytes);

    if (static_cast<std::uint32_t>(video.flags) & ~kKnownFlags)
        fuzz::Fail("unknown flag bits 0x%08x", static_cast<unsigned>(video.flags));
    // A key can only act if its name is somewhere in the file, once the
    // double quotes (which the item reader drops) are taken out.
    std::string lowered = LowerCase(bytes);
    std::erase(lowered, '"');
    if (video.width != 0 && lowered.find("xres") == std::string::npos)
        fuzz::Fail("width %d without an xres key", video.width);
    if (video.height != 0 && lowered.find("yres") == std::string::npos)
        fuzz::Fail("height %d without a yres key", video.height);
    if (video.bitsPerPixel != 0 && lowered.find("depth") == std::string::npos)
        fuzz::Fail("depth %d without a depth key", video.bitsPerPixel);
    if (video.flags != 0 && lowered.find("sdl_") == std::string::npos)
        fuzz::Fail("flags 0x%08x without a flag key", static_cast<unsigned>(video.flags));

    // Lines are read one at a time, so whatever the file holds, a spacer line
    // (taken as the value of a value key left hanging at the end, or else
    // ignored) and then an xres entry set the width and nothing else.
    const VideoSettings spaced = ReadConfig(bytes + "\nnote\n");
    const VideoSettings extended = ReadConfig(bytes + "\nnote\nxres\n640\n");
    if (extended.width != 640) fuzz::Fail("a trailing xres entry gave width %d", extended.width);
    if (extended.height != spaced.height || extended.bitsPerPixel != spaced.bitsPerPixel ||
        extended.flags != spaced.flags)
        fuzz::Fail("a trailing xres entry changed another setting");
    return 0;
}
