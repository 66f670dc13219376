// SPDX-License-Identifier: Apache-2.0
#include "ql5common/json_text.h"

#include "ql5common/converter_text.h"
#include "ql5common/utf8.h"

#include <cstdio>

namespace ql5common {

std::string JsonString(std::string_view text)
{
    std::string out = "\"";
    ConverterCharacters characters(text);
    while (const auto next = characters.Next()) {
        const char32_t c = *next;
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
                // JSON escapes name UTF-16 units: a tag character or a
                // supplementary variation selector takes a surrogate pair.
                char escape[16];
                const auto code = static_cast<unsigned>(c);
                if (code > 0xFFFF)
                    std::snprintf(escape, sizeof escape, "\\u%04x\\u%04x",
                                  0xD800 + ((code - 0x10000) >> 10),
                                  0xDC00 + ((code - 0x10000) & 0x3FF));
                else
                    std::snprintf(escape, sizeof escape, "\\u%04x", code);
                out += escape;
            } else {
                AppendUtf8(out, c);
            }
        }
    }
    out += '"';
    return out;
}

}  // namespace ql5common
