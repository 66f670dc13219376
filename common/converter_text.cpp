// SPDX-License-Identifier: Apache-2.0
#include "ql5common/converter_text.h"

#include "ql5common/utf8.h"

#include <cstdio>

namespace ql5common {

namespace {

void AppendEscape(std::string& out, const char* format, char32_t c)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, format, static_cast<unsigned>(c));
    out += buffer;
}

}  // namespace

ConverterCharacters::ConverterCharacters(std::string_view bytes)
    : text_(bytes.substr(0, bytes.find('\0'))), utf8_(IsValidUtf8(text_))
{
}

std::optional<char32_t> ConverterCharacters::NextBeyondAscii()
{
    if (at_ >= text_.size())
        return std::nullopt;
    if (utf8_)
        return NextCodePoint(text_, at_);
    // Latin-1: each byte is its own code point.
    return static_cast<unsigned char>(text_[at_++]);
}

std::string DecodeConverterText(const char* bytes, std::size_t capacity)
{
    ConverterCharacters characters(std::string_view(bytes, capacity));
    if (characters.IsUtf8())
        return std::string(characters.Text());
    std::string decoded;
    decoded.reserve(characters.Text().size() * 2);
    while (const auto c = characters.Next())
        AppendUtf8(decoded, *c);
    return decoded;
}

bool IsControlCharacter(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

bool IsInvisibleFormatCharacter(char32_t c)
{
    // Bidirectional controls and marks, zero-width characters, separators
    // and the byte order mark; then what draws nothing yet can hide or spoof
    // text: the soft hyphen, the Mongolian vowel separator, the deprecated
    // format characters, the interlinear annotation marks, the Hangul
    // fillers, variation selectors and the tag characters.
    return c == 0x061C || (c >= 0x200B && c <= 0x200F) || (c >= 0x2028 && c <= 0x202E) ||
           (c >= 0x2060 && c <= 0x2064) || (c >= 0x2066 && c <= 0x206F) || c == 0xFEFF ||
           c == 0x00AD || c == 0x180E || (c >= 0xFFF9 && c <= 0xFFFB) || c == 0x115F ||
           c == 0x1160 || c == 0x3164 || c == 0xFFA0 || (c >= 0xFE00 && c <= 0xFE0F) ||
           (c >= 0xE0000 && c <= 0xE007F) || (c >= 0xE0100 && c <= 0xE01EF);
}

namespace {

std::string Neutralised(std::string_view text, bool escapeBackslash)
{
    std::string out;
    out.reserve(text.size());
    ConverterCharacters characters(text);
    while (const auto next = characters.Next()) {
        const char32_t c = *next;
        if (c == U'\\' && escapeBackslash)
            out += "\\\\";
        else if (IsControlCharacter(c))
            AppendEscape(out, "\\x%02x", c);
        else if (IsInvisibleFormatCharacter(c))
            AppendEscape(out, "\\u%04x", c);
        else
            AppendUtf8(out, c);
    }
    return out;
}

}  // namespace

std::string NeutralisedText(std::string_view text)
{
    return Neutralised(text, true);
}

std::string WindowText(std::string_view text)
{
    return Neutralised(text, false);
}

std::string ShownText(std::string_view text, TextForm form)
{
    switch (form) {
    case TextForm::kNeutralised: return NeutralisedText(text);
    case TextForm::kWindow: return WindowText(text);
    case TextForm::kAsReceived: break;
    }
    return DecodeConverterText(text.data(), text.size());
}

}  // namespace ql5common
