#include "converter_text.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace ql5ctl {

namespace {

// Decodes strict UTF-8 (no overlong forms, no surrogates, nothing above
// U+10FFFF); false at the first sequence that breaks the rules.
bool DecodeUtf8(std::string_view bytes, std::u32string& out)
{
    out.clear();
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<std::uint8_t>(bytes[i]);
        std::size_t length;
        char32_t value;
        char32_t minimum;
        if (lead < 0x80) {
            out.push_back(lead);
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            value = lead & 0x1F;
            minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            value = lead & 0x0F;
            minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            value = lead & 0x07;
            minimum = 0x10000;
        } else {
            return false;
        }
        if (i + length > bytes.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<std::uint8_t>(bytes[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            value = (value << 6) | (next & 0x3F);
        }
        if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return false;
        out.push_back(value);
        i += length;
    }
    return true;
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

bool IsControl(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

// Characters that print nothing themselves but change how the rest of a line
// is shown: bidirectional marks, embeddings, overrides and isolates, and the
// Unicode line and paragraph separators.
bool IsInvisibleLayoutControl(char32_t c)
{
    return c == 0x200E || c == 0x200F || (c >= 0x2028 && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

void AppendFormatted(std::string& out, const char* format, unsigned value)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, format, value);
    out += buffer;
}

}  // namespace

std::u32string DecodeConverterText(const char* bytes, std::size_t capacity)
{
    const char* end = std::find(bytes, bytes + capacity, '\0');
    const std::string_view text(bytes, static_cast<std::size_t>(end - bytes));
    std::u32string decoded;
    if (DecodeUtf8(text, decoded))
        return decoded;
    decoded.assign(text.begin(), text.end());
    for (char32_t& c : decoded)
        c &= 0xFF;  // Latin-1: each byte is its own code point
    return decoded;
}

std::string TerminalText(std::u32string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text) {
        if (c == U'\\')
            out += "\\\\";
        else if (IsControl(c))
            AppendFormatted(out, "\\x%02x", static_cast<unsigned>(c));
        else if (IsInvisibleLayoutControl(c))
            AppendFormatted(out, "\\u%04x", static_cast<unsigned>(c));
        else
            AppendUtf8(out, c);
    }
    return out;
}

std::string JsonString(std::u32string_view text)
{
    std::string out = "\"";
    for (char32_t c : text) {
        switch (c) {
        case U'"': out += "\\\""; break;
        case U'\\': out += "\\\\"; break;
        case U'\b': out += "\\b"; break;
        case U'\f': out += "\\f"; break;
        case U'\n': out += "\\n"; break;
        case U'\r': out += "\\r"; break;
        case U'\t': out += "\\t"; break;
        default:
            if (IsControl(c) || IsInvisibleLayoutControl(c))
                AppendFormatted(out, "\\u%04x", static_cast<unsigned>(c));
            else
                AppendUtf8(out, c);
        }
    }
    out += '"';
    return out;
}

std::string JsonString(std::string_view utf8)
{
    return JsonString(std::u32string_view(DecodeConverterText(utf8.data(), utf8.size())));
}

std::size_t DisplayWidth(std::string_view utf8)
{
    return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<std::uint8_t>(c) & 0xC0) != 0x80;
    }));
}

}  // namespace ql5ctl
