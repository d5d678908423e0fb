// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

#include "png_file.h"

#include "support/rounding.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

std::uint8_t Channel(float v) {
    return static_cast<std::uint8_t>(std::clamp(RoundToInt(v), 0, 255));
}

} // namespace

bool WritePng(const std::string& path, const Coverage& art, std::string& error) {
    // Straight (not premultiplied) alpha, as PNG stores it.
    std::vector<png_byte> pixels(static_cast<std::size_t>(art.w) * art.h * 4);
    for (int y = 0; y < art.h; ++y)
        for (int x = 0; x < art.w; ++x) {
            const std::size_t i = art.Index(x, y);
            const float a = art.cover[i];
            png_byte* px = &pixels[i * 4];
            px[0] = a > 0 ? Channel(art.colour[i].r) : 0;
            px[1] = a > 0 ? Channel(art.colour[i].g) : 0;
            px[2] = a > 0 ? Channel(art.colour[i].b) : 0;
            px[3] = Channel(a * 255.0f);
        }

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(art.w);
    image.height = static_cast<png_uint_32>(art.h);
    image.format = PNG_FORMAT_RGBA;
    if (!png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0, nullptr)) {
        error = image.message;
        png_image_free(&image);
        return false;
    }
    return true;
}
