// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// Numbered sequential files, read item by item.  The game reads exactly one
// file this way: config.cfg, opened for text input at start-up.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

enum FileMode : std::int32_t {
    kModeRandom = 0,  // "r+b", falling back to "w+b"
    kModeRecords = 1, // "r+b", falling back to "w+b"
    kModeInput = 2,   // "rt"
    kModeOutput = 3,  // "wt"
    kModeAppend = 4,  // "at"
};

struct FileEntry {
    std::FILE* stream = nullptr; // null: the number is free
    std::int32_t mode = 0;
    std::int32_t recordLength = 0;
    std::int32_t lengthAtOpen = 0;
};

struct FileTable {
    std::array<FileEntry, 256> entries{}; // numbers 1 to 255; entry 0 unused
    bool initialised = false;
    // The item reader's source: the selected file number, or (0: none) an
    // in-memory text with a read position.
    std::int32_t selected = 0;
    std::string pendingText;
    std::size_t pendingPos = 0;

    FileTable() = default;
    FileTable(const FileTable&) = delete;
    FileTable& operator=(const FileTable&) = delete;
    ~FileTable(); // closes whatever is still open
};

std::int32_t FreeFileNumber(FileTable& files);
std::int32_t OpenFile(FileTable& files, const std::string& name, std::int32_t mode,
                      std::int32_t number, std::int32_t recordLength = 0);
std::int32_t AtEndOfFile(FileTable& files, std::int32_t number);
std::int32_t SelectInput(FileTable& files, std::int32_t number);
// Reads one item into buffer, which must hold capacity + 1 bytes.
void ReadItem(FileTable& files, char* buffer, std::int32_t capacity, bool textMode);
std::int32_t InputText(FileTable& files, std::int32_t number, std::string& target);
std::int32_t CloseFile(FileTable& files, std::int32_t number);
void CloseAllFiles(FileTable& files);
