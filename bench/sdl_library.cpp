// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// Finding out which SDL 1.2 is linked: its version, whether it is sdl12-compat,
// and the shared object file it was loaded from.
#include "bench/sdl_library.h"

#include <SDL.h>
#include <dlfcn.h>

#include <fstream>
#include <string>

std::string SdlLibrary::Describe() const {
    return std::string(compat ? "sdl12-compat " : "classic SDL ") + std::to_string(major) + "." +
           std::to_string(minor) + "." + std::to_string(patch) + " (" + file + ")";
}

SdlLibrary LinkedSdl() {
    SdlLibrary sdl;
    const SDL_version* v = SDL_Linked_Version();
    sdl.major = v->major;
    sdl.minor = v->minor;
    sdl.patch = v->patch;
    // sdl12-compat reports patch levels from 50 up (classic SDL 1.2 ended at
    // 1.2.15) and exports a function of its own; either one tells.
    sdl.compat = (sdl.major == 1 && sdl.minor == 2 && sdl.patch >= 50) ||
                 dlsym(RTLD_DEFAULT, "SDL12COMPAT_GetWindow") != nullptr;
    Dl_info where{};
    if (dladdr(reinterpret_cast<void*>(&SDL_Linked_Version), &where) && where.dli_fname)
        sdl.file = where.dli_fname;
    return sdl;
}

MappedSdl SdlMappedBy(pid_t pid) {
    MappedSdl mapped;
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    std::string line;
    while (std::getline(maps, line)) {
        const std::size_t slash = line.find('/');
        if (slash == std::string::npos) continue;
        const std::string file = line.substr(slash);
        const std::string name = file.substr(file.rfind('/') + 1);
        if (name.rfind("libSDL-1.2.so", 0) == 0) mapped.sdl12File = file;
        if (name.rfind("libSDL2-2.0.so", 0) == 0) mapped.sdl2 = true;
        if (name.rfind("swrast_dri.so", 0) == 0 || name.rfind("libLLVM", 0) == 0)
            mapped.softwareOpenGl = true;
    }
    return mapped;
}
