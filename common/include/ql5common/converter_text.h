// SPDX-License-Identifier: Apache-2.0
// Texts that come from a converter: decoding their bytes and making them safe
// to show. A converter's name, product, firmware and messages are whatever it
// chose to send, so a hostile or broken one could otherwise move the cursor,
// recolour the terminal, hide characters or reorder what the technician reads.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace ql5common {

// Reads bytes as converter text, one code point at a time: the bytes up to
// the first NUL, as UTF-8 when they are valid UTF-8 throughout and otherwise
// each byte as its Latin-1 character, so that every byte sequence gives the
// same text on every machine. Valid UTF-8 without a NUL, which is what
// DecodeConverterText returns, reads as it is.
class ConverterCharacters {
public:
    explicit ConverterCharacters(std::string_view bytes);

    // The next character, or nullopt after the last. ASCII, the common case,
    // is read here; every table and export walks each text this way.
    std::optional<char32_t> Next()
    {
        if (at_ < text_.size() && static_cast<unsigned char>(text_[at_]) < 0x80)
            return static_cast<unsigned char>(text_[at_++]);
        return NextBeyondAscii();
    }
    // How many bytes the characters read so far took.
    std::size_t Offset() const { return at_; }
    // True when the text is UTF-8 and so needs no conversion.
    bool IsUtf8() const { return utf8_; }
    std::string_view Text() const { return text_; }

private:
    std::optional<char32_t> NextBeyondAscii();

    std::string_view text_;
    bool utf8_;
    std::size_t at_ = 0;
};

// The bytes up to the first NUL, never past capacity, read as converter text
// and written as UTF-8: valid UTF-8 as it is, anything else converted from
// Latin-1.
std::string DecodeConverterText(const char* bytes, std::size_t capacity);

template <std::size_t N>
std::string DecodeConverterText(const char (&field)[N])
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

// The functions below read their text as ConverterCharacters does.

// UTF-8 for a terminal, a table or a CSV cell: control characters become
// \xNN, invisible format characters \uNNNN, and a backslash \\ so that an
// escape in the output is never ambiguous. Everything else stays as it is.
std::string NeutralisedText(std::string_view text);

// A window's plain-text line: control and invisible format characters
// written as NeutralisedText writes them, so that a converter can neither add
// a line nor reorder one, but a backslash as it is, since nothing in a window
// reads it as the start of an escape.
std::string WindowText(std::string_view text);

// How a program shows converter text: as received; neutralised for a
// terminal, a table or a file, where the output must be unambiguous; or as a
// window's plain-text line.
enum class TextForm { kAsReceived, kNeutralised, kWindow };

// The text in the given form, as UTF-8.
std::string ShownText(std::string_view text, TextForm form);

}  // namespace ql5common
