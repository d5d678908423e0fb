// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// Writing an image as an uncompressed 24-bit BMP file.
#include "bmp.h"

#include <cstdio>

namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xff));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xff));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xffff);
    Put16(out, v >> 16);
}

} // namespace

std::vector<std::uint8_t> EncodeBmp(const Image& image) {
    // Every row is padded to a multiple of four bytes.
    const std::uint32_t rowBytes = (static_cast<std::uint32_t>(image.w) * 3 + 3) & ~3u;
    const std::uint32_t pixelBytes = rowBytes * static_cast<std::uint32_t>(image.h);
    constexpr std::uint32_t kHeaderBytes = 14 + 40;

    std::vector<std::uint8_t> out;
    out.reserve(kHeaderBytes + pixelBytes);
    // File header.
    out.push_back('B');
    out.push_back('M');
    Put32(out, kHeaderBytes + pixelBytes);
    Put32(out, 0); // reserved
    Put32(out, kHeaderBytes);
    // Info header (BITMAPINFOHEADER).
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(image.w));
    Put32(out, static_cast<std::uint32_t>(image.h)); // positive: rows stored bottom-up
    Put16(out, 1);                                   // planes
    Put16(out, 24);                                  // bits per pixel
    Put32(out, 0);                                   // no compression
    Put32(out, pixelBytes);
    Put32(out, 2835); // 72 dots per inch, both ways
    Put32(out, 2835);
    Put32(out, 0); // no palette
    Put32(out, 0);

    for (int y = image.h - 1; y >= 0; --y) {
        const std::size_t start = out.size();
        for (int x = 0; x < image.w; ++x) {
            const Rgb& c = image.At(x, y);
            out.push_back(c.b);
            out.push_back(c.g);
            out.push_back(c.r);
        }
        while (out.size() - start < rowBytes)
            out.push_back(0);
    }
    return out;
}

bool WriteBmp(const std::string& path, const Image& image) {
    const std::vector<std::uint8_t> bytes = EncodeBmp(image);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}
