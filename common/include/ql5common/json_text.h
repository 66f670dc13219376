// SPDX-License-Identifier: Apache-2.0
// Texts as JSON strings. Converter texts stay exact in JSON (its escapes are
// undone by every parser), and the characters that the table neutralises are
// escaped here too, so JSON printed to a terminal is as harmless as the table.
#pragma once

#include <string>
#include <string_view>

namespace ql5common {

// The text as a quoted JSON string.
std::string JsonString(std::u32string_view text);

// Plain ASCII or UTF-8 that the program composed itself, as a JSON string.
std::string JsonString(std::string_view utf8);

}  // namespace ql5common
