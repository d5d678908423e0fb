// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The item reader over a file of the fuzzed bytes, both ways the runtime
// reads: text items with InputText (what config.cfg is read with) and
// numeric-style items with ReadItem, text mode off and a small capacity,
// into a buffer of exactly capacity + 1 bytes so that a write past it is
// caught.  The first byte picks the capacity; the rest is the file.
#include "fuzz_support.h"
#include "support/file_input.h"
#include "support/floating_point.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr std::int32_t kTextCapacity = 1024;

// True when `part` can be picked out of `whole` in order, skipping bytes:
// every item byte must come from the file, in the file's order.
bool PicksFrom(const std::string& whole, const std::string& part) {
    std::size_t at = 0;
    for (char c : part) {
        at = whole.find(c, at);
        if (at == std::string::npos) return false;
        ++at;
    }
    return true;
}

void ReadAsText(const std::string& file) {
    FileTable files;
    const std::int32_t n = FreeFileNumber(files);
    if (OpenFile(files, "items.txt", kModeInput, n) != 0) fuzz::Fail("cannot open items.txt");
    std::string item;
    std::string all;
    std::size_t reads = 0;
    while (!AtEndOfFile(files, n)) {
        // Every read while bytes are left takes at least one of them.
        if (++reads > file.size()) fuzz::Fail("more items than bytes: the reader is stuck");
        InputText(files, n, item);
        if (item.size() > static_cast<std::size_t>(kTextCapacity))
            fuzz::Fail("an item of %zu bytes", item.size());
        if (item.find_first_of("\r\n\"") != std::string::npos)
            fuzz::Fail("an item holds a line break or a quote");
        all += item;
    }
    if (!PicksFrom(file, all)) fuzz::Fail("the items are not the file's bytes in order");
    // At the end every further item is empty.
    InputText(files, n, item);
    if (!item.empty()) fuzz::Fail("an item read at the end is not empty");
    if (CloseFile(files, n) != 0 || FreeFileNumber(files) != 1) fuzz::Fail("close failed");
}

void ReadAsNumbers(const std::string& file, std::int32_t capacity) {
    FileTable files;
    const std::int32_t n = FreeFileNumber(files);
    if (OpenFile(files, "items.txt", kModeInput, n) != 0) fuzz::Fail("cannot open items.txt");
    auto buffer = std::make_unique<char[]>(static_cast<std::size_t>(capacity) + 1);
    std::size_t reads = 0;
    SelectInput(files, n);
    while (!AtEndOfFile(files, n)) {
        if (++reads > file.size()) fuzz::Fail("more items than bytes: the reader is stuck");
        ReadItem(files, buffer.get(), capacity, false);
        if (std::memchr(buffer.get(), '\0', static_cast<std::size_t>(capacity) + 1) == nullptr)
            fuzz::Fail("an item is not terminated");
    }
    // A number that is not open selects nothing: items are empty.
    if (SelectInput(files, 0) != 1) fuzz::Fail("number 0 selected as a file");
    ReadItem(files, buffer.get(), capacity, false);
    if (buffer[0] != '\0') fuzz::Fail("an item from no source is not empty");
    CloseFile(files, 0);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SetUpFloatingPoint();
    fuzz::EnterPrivateDirectory("items");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The capacities numeric input uses are 4 to 21; any from 1 to 32 will do.
    const std::int32_t capacity = data[0] % 32 + 1;
    const std::string file(reinterpret_cast<const char*>(data + 1), size - 1);
    fuzz::WriteFile("items.txt", data + 1, size - 1);
    ReadAsText(file);
    ReadAsNumbers(file, capacity);
    return 0;
}
