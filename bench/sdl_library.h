// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// Which SDL 1.2 the benchmark, and the game it starts, run on.  The same
// game costs very different amounts on classic SDL 1.2 and on sdl12-compat
// (SDL 1.2's interface over SDL2), so every run says which one it measured.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

struct SdlLibrary {
    int major = 0, minor = 0, patch = 0; // SDL_Linked_Version()
    bool compat = false;                 // sdl12-compat rather than classic SDL 1.2
    std::string file;                    // the shared object the dynamic linker chose
    std::string Describe() const;        // "sdl12-compat 1.2.60 (/usr/lib/...)"
};

// The SDL this process is linked to.
SdlLibrary LinkedSdl();

// What a running process has mapped: its SDL 1.2 file, what lies beneath
// it, and whether OpenGL and LLVM are loaded.  sdl12-compat may load
// OpenGL (libGL, Mesa's gallium, and libLLVM under its software rasteriser)
// whether or not it draws with it, so these say what was loaded, not what
// draws.
struct MappedSdl {
    std::string sdl12File;
    bool sdl2 = false;               // SDL2, or sdl2-compat
    bool sdl3 = false;               // SDL 3, beneath sdl2-compat
    std::vector<std::string> openGl; // the OpenGL files (libGL*, libEGL*, libgallium*, *_dri.so)
    bool llvm = false;               // libLLVM
};
MappedSdl SdlMappedBy(pid_t pid);

// Another SDL 1.2 on this machine to run the game on, for a comparison in
// the same run: classic SDL 1.2 where this process runs on sdl12-compat
// (Debian 12 with LD_LIBRARY_PATH to libsdl1.2-compat's folder), or
// sdl12-compat from libsdl1.2-compat's folder beside classic SDL.
struct OtherSdl {
    bool found = false;
    bool compat = false; // what the other one is
    std::string folder;  // LD_LIBRARY_PATH for the game
    std::string file;    // its libSDL-1.2.so.0
    std::string Kind() const { return compat ? "sdl12-compat" : "classic"; }
};
OtherSdl FindOtherSdl(const SdlLibrary& self);
