// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// Text and number conversions used by the config reader, the image loader and
// the score display.  Texts are plain byte strings; nothing is converted
// between character sets.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

std::string LowerCase(std::string_view s);               // A..Z lowered, every other byte kept
std::string TrimLeft(std::string_view s);                // leading spaces (code 32 only) removed
std::string TrimRight(std::string_view s);               // trailing spaces and NUL bytes removed
int CompareText(std::string_view a, std::string_view b); // -1, 0, 1; bytes as signed char
std::int32_t TextLength(std::string_view s);
// 1-based start; count below 1 means "to the end".
std::string SubText(std::string_view s, std::int32_t start, std::int32_t count);
// Decimal via strtod, or &H / &O / &B prefixed integers.
double ParseNumber(std::string_view s);
std::string IntToText(std::int32_t n); // "%d"
