// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// Text operations: case, trimming, comparison, lengths and parts, number to
// text and ParseNumber.
#include "support/text.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

std::string LowerCase(std::string_view s) {
    std::string result(s);
    for (char& c : result) {
        // Only the ASCII capitals: bytes above 127 belong to no particular
        // character set here and are kept as they are.
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return result;
}

std::string TrimLeft(std::string_view s) {
    std::size_t first = 0;
    while (first < s.size() && s[first] == ' ')
        ++first;
    return std::string(s.substr(first));
}

std::string TrimRight(std::string_view s) {
    std::size_t end = s.size();
    while (end > 0 && (s[end - 1] == ' ' || s[end - 1] == '\0'))
        --end;
    return std::string(s.substr(0, end));
}

int CompareText(std::string_view a, std::string_view b) {
    std::size_t shorter = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < shorter; ++i) {
        // Bytes compare as signed 8-bit values, so a byte above 127 sorts
        // before every plain ASCII character.
        auto x = static_cast<std::int8_t>(a[i]);
        auto y = static_cast<std::int8_t>(b[i]);
        if (x != y) return x > y ? 1 : -1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() > b.size() ? 1 : -1;
}

std::int32_t TextLength(std::string_view s) {
    // Texts in the game are short; a longer one still reports a length that
    // fits the 32-bit result.
    constexpr std::size_t most = 2147483647;
    return static_cast<std::int32_t>(s.size() < most ? s.size() : most);
}

std::string SubText(std::string_view s, std::int32_t start, std::int32_t count) {
    auto length = static_cast<std::int64_t>(s.size());
    if (length == 0 || start < 1 || start > length) return {};
    std::int64_t from = start - 1;
    std::int64_t take = length - from; // a count below 1 means "to the end"
    if (count >= 1 && count < take) take = count;
    return std::string(s.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(take)));
}

namespace {

// One digit of an &H, &O or &B number.  Characters are taken as they come,
// without checking that they are digits of the base at all.
std::int32_t DigitValue(unsigned char c, int base) {
    std::int32_t digit = c - 48;
    if (base == 16 && digit > 9) {
        digit = c - 55;
        if (digit > 16) digit -= 32; // a..f count like A..F
    }
    return digit;
}

} // namespace

double ParseNumber(std::string_view s) {
    std::size_t first = 0;
    while (first < s.size() && s[first] == ' ')
        ++first;
    std::string_view rest = s.substr(first);
    if (rest.empty()) return 0.0;

    if (rest.size() >= 2 && rest[0] == '&') {
        int base = 0;
        switch (rest[1]) {
        case 'B':
        case 'b':
            base = 2;
            break;
        case 'O':
        case 'o':
            base = 8;
            break;
        case 'H':
        case 'h':
            base = 16;
            break;
        default:
            return 0.0;
        }
        // Accumulated as a 32-bit integer that simply wraps on overflow: the
        // arithmetic is done unsigned so that a long or nonsensical digit
        // string gives a defined value rather than undefined behaviour.
        std::uint32_t value = 0;
        for (std::size_t i = 2; i < rest.size(); ++i) {
            std::int32_t digit = DigitValue(static_cast<unsigned char>(rest[i]), base);
            value = value * static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(digit);
        }
        return static_cast<double>(static_cast<std::int32_t>(value));
    }

    // strtod wants a terminated string; the texts read from config.cfg are
    // at most 1024 bytes, so a stack copy covers them, and a longer text is
    // copied to the heap (it is never on the per-frame path).
    char local[1100];
    std::string heap;
    const char* text = local;
    if (rest.size() < sizeof local) {
        rest.copy(local, rest.size());
        local[rest.size()] = '\0';
    } else {
        heap.assign(rest);
        text = heap.c_str();
    }
    return std::strtod(text, nullptr);
}

std::string IntToText(std::int32_t n) {
    char digits[16];
    int length = std::snprintf(digits, sizeof digits, "%d", static_cast<int>(n));
    return std::string(digits, static_cast<std::size_t>(length));
}
