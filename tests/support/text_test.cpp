// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The text operations and ParseNumber.
#include "support/random.h"
#include "support/rounding.h"
#include "support/text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

using namespace std::string_literals;

TEST(TextParseNumber, DecimalTextGoesThroughStrtod) {
    EXPECT_EQ(ParseNumber("  640"), 640.0);
    EXPECT_EQ(ParseNumber("640x"), 640.0);
    EXPECT_EQ(ParseNumber("x640"), 0.0);
    EXPECT_EQ(ParseNumber(""), 0.0);
    EXPECT_EQ(ParseNumber("     "), 0.0);
    EXPECT_EQ(ParseNumber("&"), 0.0); // too short for a base: strtod sees "&"
    EXPECT_EQ(ParseNumber("  -12.75"), -12.75);
    EXPECT_EQ(ParseNumber("1.5e3"), 1500.0);
    EXPECT_EQ(ParseNumber("2E-2"), 0.02);
    EXPECT_EQ(ParseNumber("\t640"), 640.0); // strtod skips the tab itself
    EXPECT_EQ(ParseNumber("32\0"
                          "99"s),
              32.0); // a NUL ends the number
    // Longer than any config item: still read as a whole (and too big).
    EXPECT_EQ(ParseNumber("  " + std::string(5000, '7') + "x"), HUGE_VAL);
    EXPECT_EQ(ParseNumber(std::string(3000, '0') + "12"), 12.0);
}

TEST(TextParseNumber, AmpersandPrefixesTakeDigitsWithoutChecking) {
    EXPECT_EQ(ParseNumber("&H1E0"), 480.0);
    EXPECT_EQ(ParseNumber("&h1e0"), 480.0);
    EXPECT_EQ(ParseNumber("  &HFF"), 255.0);
    EXPECT_EQ(ParseNumber("&B101"), 5.0);
    EXPECT_EQ(ParseNumber("&b11"), 3.0);
    EXPECT_EQ(ParseNumber("&O17"), 15.0);
    EXPECT_EQ(ParseNumber("&o777"), 511.0);
    EXPECT_EQ(ParseNumber("&X12"), 0.0);
    EXPECT_EQ(ParseNumber("&H"), 0.0);
    // Unchecked digits: '2' in binary counts as 2, 'G' in hex as 16, and a
    // space as 32 - 48 = -16.
    EXPECT_EQ(ParseNumber("&B12"), 4.0);
    EXPECT_EQ(ParseNumber("&HG"), 16.0);
    EXPECT_EQ(ParseNumber("&O1 "), 8.0 - 16.0);
    // The 32-bit accumulator wraps instead of overflowing.
    EXPECT_EQ(ParseNumber("&HFFFFFFFF"), -1.0);
    EXPECT_EQ(ParseNumber("&H80000000"), -2147483648.0);
    EXPECT_EQ(ParseNumber("&H100000000"), 0.0);
    double huge = ParseNumber("&H" + std::string(100000, 'F'));
    EXPECT_EQ(huge, -1.0);
    double junk = ParseNumber("&H\xff\x01\x80zz");
    EXPECT_TRUE(std::isfinite(junk));
    EXPECT_EQ(junk, std::trunc(junk));
}

TEST(TextRounding, NearestWithTiesToEvenAndSaturation) {
    EXPECT_EQ(RoundToInt(0.5L), 0);
    EXPECT_EQ(RoundToInt(1.5L), 2);
    EXPECT_EQ(RoundToInt(2.5L), 2);
    EXPECT_EQ(RoundToInt(-2.5L), -2);
    EXPECT_EQ(RoundToInt(-3.5L), -4);
    EXPECT_EQ(RoundToInt(800.5L), 800);
    EXPECT_EQ(RoundToInt(801.5L), 802);
    EXPECT_EQ(RoundToInt(2.4999L), 2);
    EXPECT_EQ(RoundToInt(-0.6L), -1);
    EXPECT_EQ(RoundToInt(1e20L), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(RoundToInt(-1e20L), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(RoundToInt(std::numeric_limits<long double>::quiet_NaN()), 0);
    EXPECT_EQ(RoundToInt(std::numeric_limits<long double>::infinity()),
              std::numeric_limits<std::int32_t>::max());
}

TEST(TextRounding, FloorNeverRoundsUpAndSaturatesLikeRounding) {
    EXPECT_EQ(FloorToInt(2.0L), 2);
    EXPECT_EQ(FloorToInt(1.999L), 1);
    EXPECT_EQ(FloorToInt(2.5L), 2);
    EXPECT_EQ(FloorToInt(3.5L), 3); // where RoundToInt gives 4
    EXPECT_EQ(FloorToInt(0.75L), 0);
    EXPECT_EQ(FloorToInt(-0.25L), -1);
    EXPECT_EQ(FloorToInt(1e20L), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(FloorToInt(-1e20L), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(FloorToInt(std::numeric_limits<long double>::quiet_NaN()), 0);
    EXPECT_EQ(FloorToInt(-std::numeric_limits<long double>::infinity()),
              std::numeric_limits<std::int32_t>::min());
}

TEST(TextOperations, SubTextPositionsAndCounts) {
    EXPECT_EQ(SubText("123", 2, 1), "2");
    EXPECT_EQ(SubText("123", 4, 1), "");
    EXPECT_EQ(SubText("123", 2, 0), "23");
    EXPECT_EQ(SubText("123", 2, -5), "23");
    EXPECT_EQ(SubText("123", 1, 99), "123");
    EXPECT_EQ(SubText("123", 3, 2147483647), "3");
    EXPECT_EQ(SubText("123", 0, 2), "");
    EXPECT_EQ(SubText("123", -2147483647 - 1, 2), "");
    EXPECT_EQ(SubText("", 1, 1), "");
    EXPECT_EQ(SubText("a\0b"s, 2, 2), "\0b"s);
}

TEST(TextOperations, CaseTrimCompareAndLength) {
    EXPECT_EQ(LowerCase("  XRes Sdl_HWSurface  "), "  xres sdl_hwsurface  ");
    EXPECT_EQ(LowerCase("\xc4\xd6@[`{"), "\xc4\xd6@[`{"); // only A..Z change
    EXPECT_EQ(TrimLeft(TrimRight("  depth  ")), "depth");
    EXPECT_EQ(TrimLeft("\t x"), "\t x"); // a tab is not a space here
    EXPECT_EQ(TrimRight("x \0 \0"s), "x");
    EXPECT_EQ(TrimRight("x\t"), "x\t");
    EXPECT_EQ(TrimLeft("    "), "");
    EXPECT_EQ(TrimRight(""), "");

    EXPECT_EQ(CompareText("xres", "xres"), 0);
    EXPECT_EQ(CompareText("", ""), 0);
    EXPECT_EQ(CompareText("xre", "xres"), -1);
    EXPECT_EQ(CompareText("xres", "xre"), 1);
    EXPECT_EQ(CompareText("yres", "xres"), 1);
    EXPECT_EQ(CompareText("abc", "abd"), -1);
    EXPECT_EQ(CompareText("\x80", "a"), -1); // bytes compare as signed values
    EXPECT_EQ(CompareText("a", "\xff"), 1);

    EXPECT_EQ(TextLength(""), 0);
    EXPECT_EQ(TextLength("a\0b"s), 3);
}

TEST(TextOperations, IntToTextIsPlainDecimal) {
    EXPECT_EQ(IntToText(0), "0");
    EXPECT_EQ(IntToText(-12), "-12");
    EXPECT_EQ(IntToText(123), "123");
    EXPECT_EQ(IntToText(2147483647), "2147483647");
    EXPECT_EQ(IntToText(-2147483647 - 1), "-2147483648");
}

namespace {

std::vector<double> Draws(Random& random, int count) {
    std::vector<double> values;
    for (int i = 0; i < count; ++i)
        values.push_back(RandomUnit(random, 1));
    return values;
}

} // namespace

TEST(TextRandom, SeedingTruncatesAndDrawsStayInRange) {
    Random fresh;
    EXPECT_EQ(RandomUnit(fresh, 0), 0.0); // nothing drawn yet

    Random a;
    Random b;
    SeedRandom(a, 2.9);
    std::vector<double> first = Draws(a, 20);
    SeedRandom(b, 2.0);
    EXPECT_EQ(first, Draws(b, 20));
    EXPECT_EQ(RandomUnit(b, 0), b.last); // 0 repeats the last draw
    EXPECT_EQ(RandomUnit(b, 0), RandomUnit(b, 0));

    SeedRandom(a, -2.9);
    std::vector<double> negative = Draws(a, 20);
    SeedRandom(b, -2.0);
    EXPECT_EQ(negative, Draws(b, 20));
    EXPECT_NE(negative, first);

    // One value is thrown away after seeding.
    std::srand(2);
    std::rand();
    double expected = std::rand() / 2147483648.0;
    SeedRandom(a, 2.0);
    EXPECT_EQ(RandomUnit(a, 1), expected);

    SeedRandom(a, 1e300); // saturates rather than being undefined
    SeedRandom(a, std::numeric_limits<double>::quiet_NaN());
    for (double r : Draws(a, 1000)) {
        EXPECT_GE(r, 0.0);
        EXPECT_LT(r, 1.0);
    }
    EXPECT_GE(ProcessTimer(), 0.0);
}

TEST(TextRandom, ScriptedDrawsReplaceTheGenerator) {
    Random random;
    std::vector<double> script = {0.25, 0.999, 0.0};
    std::size_t next = 0;
    random.scripted = [&] { return script[next++ % script.size()]; };
    EXPECT_EQ(RandomUnit(random, 1), 0.25);
    EXPECT_EQ(RandomUnit(random, 0), 0.25);
    EXPECT_EQ(RandomUnit(random, 1), 0.999);
    EXPECT_EQ(RandomUnit(random, -7), 0.0); // any nonzero n draws
    EXPECT_EQ(next, 3u);
}
