// SPDX-License-Identifier: Apache-2.0
// Converter texts in the inventory's JSON: exact after parsing, and harmless on a
// terminal before it.
#include <ql5common/converter_text.h>
#include <ql5common/json_text.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using ql5common::JsonString;

namespace {

std::string Decoded(const std::string& bytes)
{
    return ql5common::DecodeConverterText(bytes.data(), bytes.size());
}

}  // namespace

TEST(JsonText, JsonStringIsExactAfterParsingAndHoldsNoRawControlCharacter)
{
    const std::string hostile =
        "q\"uote\\ \x1b[31m \xc2\x9b \xe2\x80\xae \t\n\x01 \xc3\xbc "
        "\xe2\x80\x8b\xef\xbb\xbf\xd8\x9c\xe2\x81\xa0\xc2\xad\xf3\xa0\x80\x81";
    const std::string json = JsonString(Decoded(hostile));
    for (char c : json) {
        const auto byte = static_cast<unsigned char>(c);
        EXPECT_FALSE(byte < 0x20 || byte == 0x7f) << "raw control byte in " << json;
    }
    for (const char* invisible : {"\xc2\x9b", "\xe2\x80\xae", "\xe2\x80\x8b", "\xef\xbb\xbf",
                                  "\xd8\x9c", "\xe2\x81\xa0", "\xc2\xad", "\xf3\xa0\x80\x81"})
        EXPECT_EQ(json.find(invisible), std::string::npos) << json;
    EXPECT_EQ(nlohmann::json::parse(json).get<std::string>(), hostile);
}

TEST(JsonText, JsonStringOfLatin1TextIsValidUtf8)
{
    const std::string json = JsonString(Decoded("Gr\xfc\xdf"));
    EXPECT_EQ(nlohmann::json::parse(json).get<std::string>(), "Gr\xc3\xbc\xc3\x9f");
}
