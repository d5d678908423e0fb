// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// Which SDL 1.2 the benchmark, and the game it starts, run on.  The same
// game costs very different amounts on classic SDL 1.2 and on sdl12-compat
// (SDL 1.2's interface over SDL2), so every run says which one it measured.
#pragma once

#include <sys/types.h>

#include <string>

struct SdlLibrary {
    int major = 0, minor = 0, patch = 0; // SDL_Linked_Version()
    bool compat = false;                 // sdl12-compat rather than classic SDL 1.2
    std::string file;                    // the shared object the dynamic linker chose
    std::string Describe() const;        // "sdl12-compat 1.2.60 (/usr/lib/...)"
};

// The SDL this process is linked to.
SdlLibrary LinkedSdl();

// What a running process has mapped: its SDL 1.2 file, whether SDL2 is
// loaded beneath it, and whether frames go through Mesa's software OpenGL
// (llvmpipe: swrast_dri and libLLVM), which is where sdl12-compat's extra
// cost lies on a machine without a GPU.
struct MappedSdl {
    std::string sdl12File;
    bool sdl2 = false;
    bool softwareOpenGl = false;
};
MappedSdl SdlMappedBy(pid_t pid);
