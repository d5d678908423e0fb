// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// Opening a file for reading only when it is a regular file.
#pragma once

#include <cstdio>

// Opens path for reading, like std::fopen with a read mode ("r", "rb",
// "r+b"...), but only when it names a regular file.  A FIFO, a device, a
// socket or a directory is refused without waiting on it: the open does not
// block, and the refusal leaves errno at EINVAL ("Invalid argument") so the
// caller can tell it from a missing file (ENOENT).
std::FILE* OpenRegularFile(const char* path, const char* mode);

// Whether path names a regular file (following symbolic links).
bool IsRegularFile(const char* path);
