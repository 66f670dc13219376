// SPDX-License-Identifier: Apache-2.0
#include "ql5common/display_width.h"

#include "ql5common/converter_text.h"

#include <algorithm>
#include <span>

namespace ql5common {

namespace {

struct CodeRange {
    char32_t first;
    char32_t last;
};

// kWideRanges and kZeroWidthRanges, generated from the Unicode database.
#include "width_ranges.inc"

bool InRanges(std::span<const CodeRange> ranges, char32_t c)
{
    // The first range that ends at or after c is the only one that can hold it.
    const auto range = std::lower_bound(
        ranges.begin(), ranges.end(), c,
        [](const CodeRange& candidate, char32_t value) { return candidate.last < value; });
    return range != ranges.end() && range->first <= c;
}

}  // namespace

int CharacterWidth(char32_t c)
{
    // Printable ASCII, most of any text, is in neither table.
    if (c >= 0x20 && c < 0x7F)
        return 1;
    if (IsControlCharacter(c) || InRanges(kZeroWidthRanges, c))
        return 0;
    return InRanges(kWideRanges, c) ? 2 : 1;
}

std::size_t DisplayWidth(std::string_view text)
{
    std::size_t width = 0;
    ConverterCharacters characters(text);
    while (const auto c = characters.Next())
        width += static_cast<std::size_t>(CharacterWidth(*c));
    return width;
}

}  // namespace ql5common
