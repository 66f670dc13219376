// Texts that come from a converter: decoding their bytes and making them safe
// to print. A converter's name, product and firmware are whatever it chose to
// send, so a hostile or broken one could otherwise move the cursor, recolour
// the terminal or reorder what the technician reads.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ql5ctl {

// The bytes up to the first NUL, never past capacity, as Unicode code points:
// valid UTF-8 is decoded as such and anything else as Latin-1, so every byte
// sequence gives the same text on every machine (the desktop utility does
// the same).
std::u32string DecodeConverterText(const char* bytes, std::size_t capacity);

template <std::size_t N>
std::u32string DecodeConverterText(const char (&field)[N])
{
    return DecodeConverterText(field, N);
}

// UTF-8 for a terminal, a table or a CSV cell: control characters (C0, DEL,
// C1) become \xNN, the invisible characters that reorder or break lines
// (bidirectional controls, line and paragraph separators) become \uNNNN, and
// a backslash becomes \\ so that an escape in the output is never ambiguous.
std::string TerminalText(std::u32string_view text);

// The text as a quoted JSON string. It stays exact (JSON escapes are undone by
// every parser), and the same characters as in TerminalText are escaped, so
// JSON printed to a terminal is as harmless as the table.
std::string JsonString(std::u32string_view text);

// Plain ASCII or UTF-8 that ql5ctl composed itself, as a JSON string.
std::string JsonString(std::string_view utf8);

// Number of code points in UTF-8 text: the column width that tables use.
std::size_t DisplayWidth(std::string_view utf8);

}  // namespace ql5ctl
