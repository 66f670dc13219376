// Converter texts: decoding, and making them harmless on a terminal and in
// JSON.
#include "converter_text.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstring>

using namespace ql5ctl;

namespace {

std::u32string Decoded(const std::string& bytes)
{
    return DecodeConverterText(bytes.data(), bytes.size());
}

}  // namespace

TEST(ConverterText, DecodesValidUtf8AndOtherwiseLatin1)
{
    EXPECT_EQ(Decoded("Kesselhaus S\xc3\xbc" "d"), U"Kesselhaus S\u00fcd");
    // 0xFC alone is not UTF-8, so the whole text is read as Latin-1.
    EXPECT_EQ(Decoded("S\xfc" "d \xc3\xbc"), U"S\u00fcd \u00c3\u00bc");
    // An overlong form of '/' is not valid UTF-8 either.
    EXPECT_EQ(Decoded("\xc0\xaf"), U"\u00c0\u00af");
}

TEST(ConverterText, StopsAtTheFirstNulOrAtTheFieldsEnd)
{
    const char field[8] = {'a', 'b', '\0', 'c', 'd', 'e', 'f', 'g'};
    EXPECT_EQ(DecodeConverterText(field), U"ab");
    const char full[4] = {'w', 'x', 'y', 'z'};  // no NUL at all
    EXPECT_EQ(DecodeConverterText(full), U"wxyz");
}

TEST(ConverterText, TerminalTextEscapesEverythingThatActsOnATerminal)
{
    // A colour change, a clear-screen, a C1 control sequence introducer (both
    // as UTF-8 and as a Latin-1 byte), a bell, a right-to-left override and a
    // line separator.
    EXPECT_EQ(TerminalText(Decoded("\x1b[31mred\x1b[0m")), "\\x1b[31mred\\x1b[0m");
    EXPECT_EQ(TerminalText(Decoded("a\x1b[2Jb\x07")), "a\\x1b[2Jb\\x07");
    EXPECT_EQ(TerminalText(Decoded("\xc2\x9b" "31m")), "\\x9b31m");
    EXPECT_EQ(TerminalText(Decoded("\x9b" "31m")), "\\x9b31m");
    EXPECT_EQ(TerminalText(Decoded("abc\xe2\x80\xae" "fed")), "abc\\u202efed");
    EXPECT_EQ(TerminalText(Decoded("one\xe2\x80\xa8two\ttab\r\n")),
              "one\\u2028two\\x09tab\\x0d\\x0a");
    EXPECT_EQ(TerminalText(Decoded("\x7f")), "\\x7f");
}

TEST(ConverterText, TerminalTextKeepsPrintableTextAndDoublesBackslashes)
{
    EXPECT_EQ(TerminalText(Decoded("Halle 3 / Tor \xc3\xbc")), "Halle 3 / Tor \xc3\xbc");
    // Without the doubling a converter could print a fake escape.
    EXPECT_EQ(TerminalText(Decoded("C:\\x1b")), "C:\\\\x1b");
}

TEST(ConverterText, JsonStringIsExactAfterParsingAndHoldsNoRawControlCharacter)
{
    const std::string hostile = "q\"uote\\ \x1b[31m \xc2\x9b \xe2\x80\xae \t\n\x01 \xc3\xbc";
    const std::string json = JsonString(Decoded(hostile));
    for (char c : json) {
        const auto byte = static_cast<unsigned char>(c);
        EXPECT_FALSE(byte < 0x20 || byte == 0x7f) << "raw control byte in " << json;
    }
    EXPECT_EQ(json.find("\xc2\x9b"), std::string::npos);
    EXPECT_EQ(json.find("\xe2\x80\xae"), std::string::npos);
    EXPECT_EQ(nlohmann::json::parse(json).get<std::string>(), hostile);
}

TEST(ConverterText, JsonStringOfLatin1TextIsValidUtf8)
{
    const std::string json = JsonString(Decoded("Gr\xfc\xdf"));
    EXPECT_EQ(nlohmann::json::parse(json).get<std::string>(), "Gr\xc3\xbc\xc3\x9f");
}

TEST(ConverterText, DisplayWidthCountsCharactersNotBytes)
{
    EXPECT_EQ(DisplayWidth("abc"), 3u);
    EXPECT_EQ(DisplayWidth("S\xc3\xbc" "d"), 3u);
    EXPECT_EQ(DisplayWidth("\xe2\x82\xac" "5"), 2u);
}
