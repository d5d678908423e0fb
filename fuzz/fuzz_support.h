// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// What the fuzz targets share: a private scratch directory to work in, file
// writing, and a way to stop with a message that libFuzzer reports as a crash.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fuzz {

// Stops the run: libFuzzer saves the input that got here.
[[noreturn]] inline void Fail(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::fputs("fuzz: ", stderr);
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
    va_end(args);
    std::abort();
}

// The scratch directory of this process, removed again when it ends normally
// (a crashing run leaves it behind beside the saved input).
inline std::string& PrivateDirectory() {
    static std::string path;
    return path;
}

// Makes a fresh directory under /tmp, goes there and returns its path.  The
// targets write the game's files here, never where they were started.
inline std::string EnterPrivateDirectory(const char* name) {
    std::string pattern = std::string("/tmp/novawing-fuzz-") + name + "-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr || chdir(pattern.c_str()) != 0)
        Fail("cannot make a scratch directory %s", pattern.c_str());
    PrivateDirectory() = pattern;
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(PrivateDirectory(), ignored);
    });
    return pattern;
}

inline void WriteFile(const char* path, const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) Fail("cannot write %s", path);
    if (size > 0 && std::fwrite(data, 1, size, file) != size) Fail("short write to %s", path);
    std::fclose(file);
}

} // namespace fuzz
