// SPDX-License-Identifier: Apache-2.0
// Converter texts: decoding their bytes, and neutralising what would act on
// a terminal or hide and reorder what is read.
#include <ql5common/converter_text.h>
#include <ql5common/utf8.h>

#include <gtest/gtest.h>

#include <string>

using namespace ql5common;

namespace {

std::string Decoded(const std::string& bytes)
{
    return DecodeConverterText(bytes.data(), bytes.size());
}

std::string Utf8(std::u32string_view text)
{
    std::string out;
    for (char32_t c : text)
        AppendUtf8(out, c);
    return out;
}

std::u32string Characters(std::string_view bytes)
{
    std::u32string out;
    ConverterCharacters characters(bytes);
    while (const auto c = characters.Next())
        out.push_back(*c);
    return out;
}

}  // namespace

TEST(ConverterText, DecodesValidUtf8AndOtherwiseLatin1)
{
    const struct {
        const char* name;
        std::string bytes;
        std::u32string text;
    } rows[] = {
        {"ascii", "Line 1", U"Line 1"},
        {"empty", "", U""},
        {"utf-8", "Z\xc3\xbcrich \xe2\x82\xac", U"Z\u00fcrich \u20ac"},
        {"utf-8 beyond the first plane", "\xf0\x9f\x94\x8c", U"\U0001F50C"},
        {"latin-1", "Z\xfcrich", U"Z\u00fcrich"},
        // One byte that breaks UTF-8 makes the whole text Latin-1.
        {"broken utf-8 is latin-1 throughout",
         "S\xfc"
         "d \xc3\xbc",
         U"S\u00fcd \u00c3\u00bc"},
        {"bad continuation", "\xc3\xbc \xc3\x28", U"\u00c3\u00bc \u00c3("},
        {"truncated sequence", "a\xe2\x82", U"a\u00e2\u0082"},
        {"overlong slash", "\xc0\xaf", U"\u00c0\u00af"},
        {"surrogate encoded", "\xed\xa0\x80", U"\u00ed\u00a0\u0080"},
        {"above U+10FFFF", "\xf4\x90\x80\x80", U"\u00f4\u0090\u0080\u0080"},
        {"stops at the first nul", std::string("abc\0def", 7), U"abc"},
        {"markup stays text", "<b>x</b>", U"<b>x</b>"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Decoded(row.bytes), Utf8(row.text)) << row.name;
}

TEST(ConverterText, WalkingBytesOrTheirDecodedFormGivesTheSameCharacters)
{
    const std::string bytes251(251, 'a');
    const std::u32string text251(251, U'a');
    const struct {
        const char* name;
        std::string bytes;
        std::u32string text;
        std::string neutralised;
    } rows[] = {
        {"two, three and four bytes", "\xc3\xbc\xe2\x82\xac\xf0\x9f\x94\x8c",
         U"\u00fc\u20ac\U0001F50C", "\xc3\xbc\xe2\x82\xac\xf0\x9f\x94\x8c"},
        {"latin-1 with a C1 byte", "S\xfc\x9b", U"S\u00fc\u009b", "S\xc3\xbc\\x9b"},
        {"four-byte character ends the field", bytes251 + "\xf0\x9f\x94\x8c",
         text251 + U"\U0001F50C", bytes251 + "\xf0\x9f\x94\x8c"},
        {"four-byte character cut by the field's end", bytes251 + "a\xf0\x9f\x94",
         text251 + U"a\u00f0\u009f\u0094", bytes251 + "a\xc3\xb0\\x9f\\x94"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Characters(row.bytes), row.text) << row.name;
        EXPECT_EQ(Characters(Decoded(row.bytes)), row.text) << row.name;
        EXPECT_EQ(NeutralisedText(row.bytes), row.neutralised) << row.name;
    }
}

TEST(ConverterText, DecodingNeverReadsPastTheField)
{
    // A field filled to its last byte has no terminator; nothing past it may
    // be read (ASan checks). Every byte value but NUL appears.
    char field[255];
    for (int i = 0; i < 255; ++i)
        field[i] = static_cast<char>(i + 1);
    const std::u32string text = Characters(DecodeConverterText(field));
    ASSERT_EQ(text.size(), 255u);
    EXPECT_EQ(text.front(), U'\x01');
    EXPECT_EQ(text.back(), U'\xff');
}

TEST(ConverterText, NeutralisedTextEscapesEverythingThatActsOnATerminal)
{
    const struct {
        const char* name;
        std::string bytes;
        std::string shown;
    } rows[] = {
        {"colour change", "\x1b[31mred\x1b[0m", "\\x1b[31mred\\x1b[0m"},
        {"clear screen and bell", "a\x1b[2Jb\x07", "a\\x1b[2Jb\\x07"},
        {"C1 introducer as utf-8",
         "\xc2\x9b"
         "31m",
         "\\x9b31m"},
        {"C1 introducer as latin-1",
         "\x9b"
         "31m",
         "\\x9b31m"},
        {"delete", "\x7f", "\\x7f"},
        {"tab and line breaks", "two\ttab\r\n", "two\\x09tab\\x0d\\x0a"},
        {"right-to-left override",
         "abc\xe2\x80\xae"
         "fed",
         "abc\\u202efed"},
        {"line separator", "one\xe2\x80\xa8two", "one\\u2028two"},
        {"left-to-right isolate", "\xe2\x81\xa6x", "\\u2066x"},
        {"arabic letter mark",
         "a\xd8\x9c"
         "b",
         "a\\u061cb"},
        {"zero-width space", "ad\xe2\x80\x8bmin", "ad\\u200bmin"},
        {"zero-width non-joiner", "\xe2\x80\x8c", "\\u200c"},
        {"zero-width joiner", "\xe2\x80\x8d", "\\u200d"},
        {"left-to-right mark", "\xe2\x80\x8e", "\\u200e"},
        {"word joiner",
         "a\xe2\x81\xa0"
         "b",
         "a\\u2060b"},
        {"invisible plus", "\xe2\x81\xa4", "\\u2064"},
        {"byte order mark", "\xef\xbb\xbfname", "\\ufeffname"},
        {"soft hyphen", "ad\xc2\xadmin", "ad\\u00admin"},
        {"mongolian vowel separator", "\xe1\xa0\x8e", "\\u180e"},
        {"deprecated format character", "\xe2\x81\xaf", "\\u206f"},
        {"interlinear annotation", "\xef\xbf\xb9", "\\ufff9"},
        {"hangul filler", "\xe3\x85\xa4", "\\u3164"},
        {"variation selector", "a\xef\xb8\x8f", "a\\ufe0f"},
        {"tag character", "\xf3\xa0\x80\x81", "\\ue0001"},
        {"supplementary variation selector", "\xf3\xa0\x84\x80", "\\ue0100"},
        {"printable text stays", "Halle 3 / Tor \xc3\xbc \xe5\x8c\x97",
         "Halle 3 / Tor \xc3\xbc \xe5\x8c\x97"},
        {"combining mark stays", "Cafe\xcc\x81", "Cafe\xcc\x81"},
        // Without the doubling a converter could print a fake escape.
        {"backslash doubled", "C:\\x1b", "C:\\\\x1b"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(NeutralisedText(Decoded(row.bytes)), row.shown) << row.name;
        EXPECT_EQ(ShownText(Decoded(row.bytes), TextForm::kNeutralised), row.shown) << row.name;
    }
}

TEST(ConverterText, WindowTextKeepsBackslashesButNeutralisesTheRest)
{
    EXPECT_EQ(WindowText(Decoded("C:\\x1b\n\xe2\x80\xae")), "C:\\x1b\\x0a\\u202e");
    EXPECT_EQ(ShownText(Decoded("a\\b"), TextForm::kWindow), "a\\b");
}

TEST(ConverterText, NeighboursOfTheNeutralisedRangesStayAsTheyAre)
{
    for (char32_t c : {U'\u00a0', U'\u061b', U'\u061d', U'\u200a', U'\u2010', U'\u2027', U'\u202f',
                       U'\u205f', U'\u2065', U'\u2070', U'\ufefe', U'\uff00', U'\u00ac', U'\u00ae',
                       U'\ufdff', U'\ufe10', U'\ufffc', U'\U000e0080'}) {
        const auto code = static_cast<unsigned>(c);
        EXPECT_FALSE(IsControlCharacter(c) || IsInvisibleFormatCharacter(c)) << std::hex << code;
        EXPECT_EQ(NeutralisedText(Utf8(std::u32string(1, c))).find('\\'), std::string::npos)
            << std::hex << code;
    }
}

TEST(ConverterText, AsReceivedIsTheDecodedTextInUtf8)
{
    EXPECT_EQ(ShownText(Decoded("S\xfc"
                                "d\x1b"),
                        TextForm::kAsReceived),
              "S\xc3\xbc"
              "d\x1b");
    EXPECT_EQ(ShownText(Decoded("\xf0\x9f\x94\x8c"), TextForm::kAsReceived), "\xf0\x9f\x94\x8c");
}
