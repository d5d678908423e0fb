// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// Writes pictures as Windows BMP files: 24 bits per pixel, uncompressed,
// bottom-up, the layout SDL_LoadBMP reads.
#pragma once

#include "image.h"

#include <string>
#include <vector>

std::vector<std::uint8_t> EncodeBmp(const Image& image);

// False when the file can't be written.
bool WriteBmp(const std::string& path, const Image& image);
