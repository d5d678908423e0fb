// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// Writes a soft-edged drawing as an 8-bit RGBA PNG through libpng: the
// coverage becomes the alpha channel.
#pragma once

#include "image.h"

#include <string>

// False, with `error` filled in, when the file can't be written.
bool WritePng(const std::string& path, const Coverage& art, std::string& error);
