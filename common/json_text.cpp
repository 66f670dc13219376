// SPDX-License-Identifier: Apache-2.0
#include "ql5common/json_text.h"

#include "ql5common/converter_text.h"
#include "ql5common/utf8.h"

#include <cstdio>

namespace ql5common {

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
            if (IsControlCharacter(c) || IsInvisibleFormatCharacter(c)) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
                out += escape;
            } else {
                AppendUtf8(out, c);
            }
        }
    }
    out += '"';
    return out;
}

std::string JsonString(std::string_view utf8)
{
    return JsonString(std::u32string_view(DecodeConverterText(utf8.data(), utf8.size())));
}

}  // namespace ql5common
