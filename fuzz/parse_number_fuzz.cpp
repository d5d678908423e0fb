// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// ParseNumber on any text, and the way the config reader uses it: normalised
// first, rounded after.  Leading spaces must not matter, a based number
// (&H, &O, &B) is always a whole 32-bit value, any other &-prefix is 0, and
// a decimal text is exactly what the C library's strtod makes of it.
#include "fuzz_support.h"
#include "support/floating_point.h"
#include "support/rounding.h"
#include "support/text.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

bool SameDouble(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SetUpFloatingPoint();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const double value = ParseNumber(text);

    if (!SameDouble(ParseNumber("  " + std::string(text)), value))
        fuzz::Fail("leading spaces changed the value");

    const std::size_t first = text.find_first_not_of(' ');
    const std::string_view rest = first == std::string_view::npos ? "" : text.substr(first);
    if (rest.size() >= 2 && rest[0] == '&') {
        if (std::strchr("BbOoHh", rest[1]) != nullptr && rest[1] != '\0') {
            if (std::trunc(value) != value || value < -2147483648.0 || value > 2147483647.0)
                fuzz::Fail("a based number gave %.17g", value);
        } else if (value != 0.0) {
            fuzz::Fail("an unknown base gave %.17g", value);
        }
    } else {
        // strtod reads up to the first NUL byte, as a C string would end.
        const std::string copy(rest);
        if (!SameDouble(value, std::strtod(copy.c_str(), nullptr)))
            fuzz::Fail("differs from strtod: %.17g", value);
    }

    // As the config reader does it; the rounding must be defined for every
    // value, infinities and NaN included.
    const double normalised = ParseNumber(LowerCase(TrimLeft(TrimRight(text))));
    const std::int32_t rounded = RoundToInt(normalised);
    if (std::isfinite(normalised) && std::fabs(normalised) < 2147483647.0 &&
        std::fabs(static_cast<double>(rounded) - normalised) > 0.5)
        fuzz::Fail("%.17g rounded to %d", normalised, rounded);
    return 0;
}
