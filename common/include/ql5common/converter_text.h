// SPDX-License-Identifier: Apache-2.0
// Texts that come from a converter: decoding their bytes and making them safe
// to show. A converter's name, product, firmware and messages are whatever it
// chose to send, so a hostile or broken one could otherwise move the cursor,
// recolour the terminal, hide characters or reorder what the technician reads.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ql5common {

// The bytes up to the first NUL, never past capacity, as code points: valid
// UTF-8 is decoded as such and anything else as Latin-1, so every byte
// sequence gives the same text on every machine.
std::u32string DecodeConverterText(const char* bytes, std::size_t capacity);

template <std::size_t N>
std::u32string DecodeConverterText(const char (&field)[N])
{
    return DecodeConverterText(field, N);
}

// C0 controls, DEL and C1 controls.
bool IsControlCharacter(char32_t c);

// Characters that print nothing themselves but change how the rest of a line
// is shown or read: the Arabic letter mark, zero-width space and joiners,
// left-to-right and right-to-left marks, line and paragraph separators,
// embeddings and overrides, the word joiner and invisible operators, isolates,
// and the zero-width no-break space (byte order mark).
bool IsInvisibleFormatCharacter(char32_t c);

// UTF-8 for a terminal, a table or a CSV cell: control characters become
// \xNN, invisible format characters \uNNNN, and a backslash \\ so that an
// escape in the output is never ambiguous. Everything else stays as it is.
std::string NeutralisedText(std::u32string_view text);

// A window's plain-text line: control and invisible format characters
// written as NeutralisedText writes them, so that a converter can neither add
// a line nor reorder one, but a backslash as it is, since nothing in a window
// reads it as the start of an escape.
std::string WindowText(std::u32string_view text);

// How a program shows converter text: as received; neutralised for a
// terminal, a table or a file, where the output must be unambiguous; or as a
// window's plain-text line.
enum class TextForm { kAsReceived, kNeutralised, kWindow };

// The text in the given form, as UTF-8.
std::string ShownText(std::u32string_view text, TextForm form);

}  // namespace ql5common
