// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// Numbered file input: the file table, OpenFile, ReadItem, InputText,
// AtEndOfFile and CloseFile.
#include "support/file_input.h"

#include "support/regular_file.h"

#include <cerrno>
#include <climits>
#include <cstdio>

namespace {

constexpr std::int32_t kFirstNumber = 1;
constexpr std::int32_t kLastNumber = 255;
constexpr std::int32_t kDefaultRecordLength = 128;
constexpr std::int32_t kTextCapacity = 1024;

bool ValidNumber(std::int32_t number) {
    return number >= kFirstNumber && number <= kLastNumber;
}

const char* OpenString(std::int32_t mode) {
    switch (mode) {
    case kModeRandom:
    case kModeRecords:
        return "r+b";
    case kModeInput:
        return "rt";
    case kModeOutput:
        return "wt";
    case kModeAppend:
        return "at";
    default:
        return nullptr;
    }
}

// The size of the file behind a freshly opened stream, leaving the position
// where it was.  A stream that cannot seek (a pipe, a terminal) reports 0,
// so it counts as being at its end straight away.
std::int32_t LengthOf(std::FILE* stream) {
    long here = std::ftell(stream);
    if (here < 0 || std::fseek(stream, 0, SEEK_END) != 0) return 0;
    long end = std::ftell(stream);
    std::fseek(stream, here, SEEK_SET);
    if (end < 0) return 0;
    return end > INT_MAX ? INT_MAX : static_cast<std::int32_t>(end);
}

// The item reader's source for one read: the selected file's stream, or the
// in-memory text when no open file is selected.
struct Source {
    FileTable& files;
    std::FILE* stream;

    int Get() {
        if (stream) return std::fgetc(stream);
        if (files.pendingPos >= files.pendingText.size()) return EOF;
        return static_cast<unsigned char>(files.pendingText[files.pendingPos++]);
    }
    void PushBack(int c) {
        if (c == EOF) return;
        if (stream)
            std::ungetc(c, stream);
        else if (files.pendingPos > 0)
            --files.pendingPos;
    }
};

std::FILE* SelectedStream(FileTable& files) {
    if (!ValidNumber(files.selected)) return nullptr;
    return files.entries[files.selected].stream;
}

void Close(FileTable& files, std::int32_t number) {
    FileEntry& entry = files.entries[number];
    if (entry.stream) std::fclose(entry.stream);
    entry = FileEntry{};
    // A closed file can no longer be the reader's source.
    if (files.selected == number) files.selected = 0;
}

} // namespace

FileTable::~FileTable() {
    CloseAllFiles(*this);
}

std::int32_t FreeFileNumber(FileTable& files) {
    for (std::int32_t number = kFirstNumber; number <= kLastNumber; ++number) {
        if (!files.entries[number].stream) return number;
    }
    return 0;
}

std::int32_t OpenFile(FileTable& files, const std::string& name, std::int32_t mode,
                      std::int32_t number, std::int32_t recordLength) {
    if (!files.initialised) {
        // Nothing needs registering for process exit: the table closes its
        // streams when it is destroyed, and exit() flushes and closes every
        // stream still open when the game ends through ExitProgram.
        for (FileEntry& entry : files.entries)
            entry = FileEntry{};
        files.initialised = true;
    }
    if (!ValidNumber(number) || files.entries[number].stream) return 1;

    std::string path = name;
    for (char& c : path) {
        if (c == '\\') c = '/';
    }

    const char* how = OpenString(mode);
    if (!how) return 2; // no such mode: nothing can be opened with it
    // A file that is read is opened only when it is a regular file: a FIFO
    // or a device in its place would block the open or the reads, and a
    // directory has nothing to read.  Such a name counts as not there, and
    // is never replaced with a new file.
    const bool reads = mode == kModeRandom || mode == kModeRecords || mode == kModeInput;
    std::FILE* stream = reads ? OpenRegularFile(path.c_str(), how) : std::fopen(path.c_str(), how);
    if (!stream && errno == ENOENT && (mode == kModeRandom || mode == kModeRecords))
        stream = std::fopen(path.c_str(), "w+b");
    if (!stream) return 2;

    FileEntry& entry = files.entries[number];
    entry.stream = stream;
    entry.mode = mode;
    bool hasRecords = mode == kModeRecords || mode == kModeInput || mode == kModeOutput;
    entry.recordLength = hasRecords ? (recordLength > 0 ? recordLength : kDefaultRecordLength) : 0;
    bool readable = mode == kModeRandom || mode == kModeRecords || mode == kModeInput;
    entry.lengthAtOpen = readable ? LengthOf(stream) : 0;
    return 0;
}

std::int32_t AtEndOfFile(FileTable& files, std::int32_t number) {
    if (!ValidNumber(number) || !files.entries[number].stream) return -1;
    const FileEntry& entry = files.entries[number];
    if (entry.mode == kModeOutput || entry.mode == kModeAppend)
        return std::feof(entry.stream) ? -1 : 0;
    // Measured against the size at open, so it turns true as soon as the
    // last byte has been read.  A stream whose reads have already failed or
    // run dry (the file shrank, or is a directory) is at its end too, so a
    // read loop guarded by this test always finishes.
    long position = std::ftell(entry.stream);
    if (position < 0 || position >= entry.lengthAtOpen) return -1;
    if (std::feof(entry.stream) || std::ferror(entry.stream)) return -1;
    return 0;
}

std::int32_t SelectInput(FileTable& files, std::int32_t number) {
    files.pendingText.clear();
    files.pendingPos = 0;
    if (ValidNumber(number) && files.entries[number].stream) {
        files.selected = number;
        return 0;
    }
    // Not open (or not a file number at all): the source becomes the empty
    // in-memory text, so every item read is empty until a file is selected.
    files.selected = 0;
    return 1;
}

void ReadItem(FileTable& files, char* buffer, std::int32_t capacity, bool textMode) {
    Source source{files, SelectedStream(files)};
    bool fromFile = source.stream != nullptr;

    int c = source.Get();
    while (c == ' ' || c == '\t' || c == '\n' || c == '\r')
        c = source.Get();
    source.PushBack(c);

    std::int32_t count = 0;
    bool quoted = false;
    while (count < capacity) {
        c = source.Get();
        if (c == EOF || c == '\n') break;
        if (c == '\r') {
            int next = source.Get();
            if (next != '\n') source.PushBack(next);
            break;
        }
        if (c == '"') {
            quoted = !quoted;
            if (!quoted && textMode) break;
            continue;
        }
        bool delimiter = c == ' ' || c == '\t' || c == ',';
        if (delimiter && !(textMode && fromFile) && !quoted) break;
        buffer[count++] = static_cast<char>(c);
    }
    buffer[count] = '\0';
}

std::int32_t InputText(FileTable& files, std::int32_t number, std::string& target) {
    SelectInput(files, number);
    char item[kTextCapacity + 1];
    ReadItem(files, item, kTextCapacity, true);
    target.assign(item); // up to the first NUL byte
    return 0;
}

std::int32_t CloseFile(FileTable& files, std::int32_t number) {
    if (number == 0) {
        CloseAllFiles(files);
        return 0;
    }
    if (!ValidNumber(number)) return 1;
    Close(files, number);
    return 0;
}

void CloseAllFiles(FileTable& files) {
    for (std::int32_t number = kFirstNumber; number <= kLastNumber; ++number)
        Close(files, number);
}
