// SPDX-License-Identifier: Apache-2.0
// Display width: how many terminal columns a text takes in a table.
#include <ql5common/display_width.h>

#include <gtest/gtest.h>

using namespace ql5common;

TEST(DisplayWidth, CountsColumnsNotBytesOrCodePoints)
{
    const struct {
        const char* name;
        const char* utf8;
        std::size_t width;
    } rows[] = {
        {"ascii", "abc", 3},
        {"empty", "", 0},
        {"two-byte letter",
         "S\xc3\xbc"
         "d",
         3},
        {"three-byte symbol",
         "\xe2\x82\xac"
         "5",
         2},
        {"wide ideographs", "\xe5\x8c\x97\xe9\x96\x80", 4},  // 北門
        {"wide and narrow",
         "A\xe5\x8c\x97"
         "1",
         4},                                        // A北1
        {"hangul syllable", "\xea\xb0\x80", 2},     // 가
        {"fullwidth letter", "\xef\xbc\xa1", 2},    // Ａ
        {"halfwidth katakana", "\xef\xbd\xb1", 1},  // ｱ
        {"ideographic space", "\xe3\x80\x80", 2},
        {"wide beyond the first plane", "\xf0\xa0\x80\x8b", 2},  // U+2000B
        {"emoji", "\xf0\x9f\x94\x8c", 2},                        // U+1F50C
        {"combining acute", "Cafe\xcc\x81", 4},
        {"enclosing mark", "1\xe2\x83\xa3", 1},   // 1 + U+20E3
        {"hebrew point", "\xd7\xa9\xd7\x81", 1},  // shin + shin dot
        {"ideographic tone mark inside a wide block", "\xe5\x8c\x97\xe3\x80\xaa", 2},
        {"zero-width space",
         "a\xe2\x80\x8b"
         "b",
         2},
        {"zero-width joiner",
         "a\xe2\x80\x8d"
         "b",
         2},
        {"byte order mark",
         "\xef\xbb\xbf"
         "ab",
         2},
        {"soft hyphen shows",
         "a\xc2\xad"
         "b",
         3},
        {"control",
         "a\x1b"
         "b",
         2},
        {"latin-1 when not utf-8",
         "S\xfc"
         "d",
         3},
    };
    for (const auto& row : rows)
        EXPECT_EQ(DisplayWidth(row.utf8), row.width) << row.name;
}

TEST(DisplayWidth, CharacterWidthAtTheEdgesOfTheTables)
{
    const struct {
        char32_t c;
        int width;
    } rows[] = {
        {U'\u02ff', 1},     {U'\u0300', 0},     {U'\u036f', 0},     {U'\u0370', 1},
        {U'\u10ff', 1},     {U'\u1100', 2},     {U'\u115f', 2},     {U'\u1160', 0},
        {U'\u11ff', 0},     {U'\u4dff', 1},     {U'\u4e00', 2},     {U'\u9fff', 2},
        {U'\uabff', 1},     {U'\uac00', 2},     {U'\ud7a3', 2},     {U'\ud7a4', 1},
        {U'\uff00', 1},     {U'\uff01', 2},     {U'\uff60', 2},     {U'\uff61', 1},
        {U'\U0001F300', 2}, {U'\U0002FFFD', 2}, {U'\U0003FFFD', 2}, {U'\U0004FFFD', 1},
        {U'\U000E0001', 0}, {U'\U0010FFFF', 1},
    };
    for (const auto& row : rows)
        EXPECT_EQ(CharacterWidth(row.c), row.width) << std::hex << static_cast<unsigned>(row.c);
}
