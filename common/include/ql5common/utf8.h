// SPDX-License-Identifier: Apache-2.0
// Strict UTF-8, read one code point at a time and written back. Texts are
// kept as UTF-8 and walked where their characters matter, rather than held as
// 4-byte code points: a listing holds thousands of them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace ql5common {

// Reads the code point that starts at `at` and moves `at` past it. Strict: no
// overlong forms, no surrogates, nothing above U+10FFFF, no cut sequence; a
// sequence that breaks a rule gives nullopt and leaves `at` where it was.
[[nodiscard]] std::optional<char32_t> NextCodePoint(std::string_view bytes, std::size_t& at);

[[nodiscard]] bool IsValidUtf8(std::string_view bytes);

// Appends one code point (at most U+10FFFF, not a surrogate) as UTF-8.
void AppendUtf8(std::string& out, char32_t c);

}  // namespace ql5common
