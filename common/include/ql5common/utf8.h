// SPDX-License-Identifier: Apache-2.0
// UTF-8 to code points and back. The standard library offers no conversion
// that is not deprecated, so this small strict codec stands in for it.
#pragma once

#include <string>
#include <string_view>

namespace ql5common {

// Decodes strict UTF-8: no overlong forms, no surrogates, nothing above
// U+10FFFF, no cut sequence. Returns false, with `out` unspecified, at the
// first sequence that breaks the rules.
[[nodiscard]] bool DecodeUtf8(std::string_view bytes, std::u32string& out);

// Appends one code point (at most U+10FFFF, not a surrogate) as UTF-8.
void AppendUtf8(std::string& out, char32_t c);

std::string EncodeUtf8(std::u32string_view text);

}  // namespace ql5common
