// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// Finding out which SDL 1.2 is linked: its version, whether it is sdl12-compat,
// and the shared object file it was loaded from.
#include "bench/sdl_library.h"

#include <SDL.h>
#include <dlfcn.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
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

namespace {

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

// sdl12-compat's file carries the names of its own settings
// (SDL12COMPAT_OPENGL_SCALING and the others); classic SDL 1.2 has none.
bool FileIsCompat(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return bytes.find("SDL12COMPAT_") != std::string::npos;
}

} // namespace

MappedSdl SdlMappedBy(pid_t pid) {
    MappedSdl mapped;
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    std::string line;
    std::set<std::string> gl; // each file once, in name order
    while (std::getline(maps, line)) {
        const std::size_t slash = line.find('/');
        if (slash == std::string::npos) continue;
        const std::string file = line.substr(slash);
        const std::string name = file.substr(file.rfind('/') + 1);
        if (StartsWith(name, "libSDL-1.2.so")) mapped.sdl12File = file;
        if (StartsWith(name, "libSDL2-2.0.so")) mapped.sdl2 = true;
        if (StartsWith(name, "libSDL3.so")) mapped.sdl3 = true;
        if (StartsWith(name, "libLLVM")) mapped.llvm = true;
        if (StartsWith(name, "libGL") || StartsWith(name, "libEGL") ||
            StartsWith(name, "libOpenGL") || StartsWith(name, "libgallium") ||
            name.find("_dri.so") != std::string::npos)
            gl.insert(name);
    }
    mapped.openGl.assign(gl.begin(), gl.end());
    return mapped;
}

OtherSdl FindOtherSdl(const SdlLibrary& self) {
    OtherSdl other;
    if (self.file.empty()) return other;
    const std::filesystem::path dir = std::filesystem::path(self.file).parent_path();
    std::vector<std::filesystem::path> folders;
    if (self.compat) {
        // Classic SDL where the system keeps its libraries: the folder above
        // libsdl1.2-compat's own, or the multiarch folder itself.
        if (dir.filename() == "sdl12-compat") folders.push_back(dir.parent_path());
        folders.push_back(dir);
    } else {
        folders.push_back(dir / "sdl12-compat");
    }
    for (const std::filesystem::path& folder : folders) {
        const std::filesystem::path file = folder / "libSDL-1.2.so.0";
        std::error_code error;
        if (!std::filesystem::is_regular_file(file, error)) continue;
        if (FileIsCompat(file.string()) == self.compat) continue;
        other.found = true;
        other.compat = !self.compat;
        other.folder = folder.string();
        other.file = std::filesystem::canonical(file, error).string();
        break;
    }
    return other;
}
