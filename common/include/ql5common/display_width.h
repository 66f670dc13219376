// SPDX-License-Identifier: Apache-2.0
// How many terminal columns a text takes, for lining up table columns. East
// Asian wide and fullwidth characters take two columns; combining marks,
// format characters and controls take none; everything else takes one.
#pragma once

#include <cstddef>
#include <string_view>

namespace ql5common {

// 0, 1 or 2.
int CharacterWidth(char32_t c);

// The columns of a text read as converter text is read (UTF-8 when valid,
// else Latin-1, up to the first NUL).
std::size_t DisplayWidth(std::string_view text);

}  // namespace ql5common
