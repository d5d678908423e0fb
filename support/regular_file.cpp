// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// OpenRegularFile: a read that can never hang on a FIFO or a device.
#include "support/regular_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::FILE* OpenRegularFile(const char* path, const char* mode) {
    const bool update = std::strchr(mode, '+') != nullptr;
    // O_NONBLOCK makes opening a FIFO with no writer return at once instead
    // of waiting for one; fstat then looks at what was opened, not at what
    // the name pointed to a moment before.
    const int fd = open(path, (update ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        errno = EINVAL;
        return nullptr;
    }
    // A regular file reads the same either way; the stream gets the plain
    // blocking descriptor callers expect.
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    std::FILE* stream = fdopen(fd, mode);
    if (stream == nullptr) close(fd);
    return stream;
}

bool IsRegularFile(const char* path) {
    struct stat info {};
    return stat(path, &info) == 0 && S_ISREG(info.st_mode);
}
