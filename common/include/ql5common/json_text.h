// SPDX-License-Identifier: Apache-2.0
// Texts as JSON strings. Converter texts stay exact in JSON (its escapes are
// undone by every parser), and the characters that the table neutralises are
// escaped here too, so JSON printed to a terminal is as harmless as the table.
#pragma once

#include <string>
#include <string_view>

namespace ql5common {

// The text, read as converter text is read (UTF-8 when valid, else Latin-1,
// up to the first NUL), as a quoted JSON string.
std::string JsonString(std::string_view text);

}  // namespace ql5common
