// SPDX-License-Identifier: Apache-2.0
#ifndef QL5CONFIG_RECORDTEXT_H
#define QL5CONFIG_RECORDTEXT_H

#include <ql5/discovery.h>

#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// The display rules of the common library (ql5common) as QString: what every
// window shows about a record. The rules themselves live there, shared with
// ql5ctl; this file only converts.
namespace ql5config {

// "02:51:c5:0a:0b:0c": two lower-case hexadecimal digits per byte.
QString formatMac(const std::uint8_t macAddress[6]);

// An IPv4 address held in network order as four decimal octets.
QString formatDottedDecimal(std::uint32_t networkOrderAddress);

// Text that came from a converter, as a window may show it: the bytes up to
// the first NUL (never past capacity) decoded as UTF-8 when valid and as
// Latin-1 otherwise, with control, line-separator and direction characters
// written as visible escapes as ql5ctl writes them. A converter can then
// neither add a line to what a window shows nor reorder its text. A
// backslash stays as it is: a window has no escapes for it to confuse.
QString shownConverterText(const char* bytes, std::size_t capacity);

template <std::size_t N>
QString shownConverterText(const char (&field)[N])
{
    return shownConverterText(field, N);
}

// The same text when it is all printable ASCII, as most converters' texts
// are: it is shown as it stands, with nothing to decode or neutralise, and
// can be read in place. Nothing for any other text.
std::optional<QLatin1String> plainConverterText(const char* bytes, std::size_t capacity);

template <std::size_t N>
std::optional<QLatin1String> plainConverterText(const char (&field)[N])
{
    return plainConverterText(field, N);
}

inline QString shownConverterText(std::string_view bytes)
{
    return shownConverterText(bytes.data(), bytes.size());
}

// The record's product name as shown: string 2 of the string table in place
// of the module's own name, any other name as shownConverterText gives it.
QString shownProductName(const DeviceRecordExchange& record);

// The nine lines that the information dialog shows about one converter, each
// ended by a line feed, with the converter's texts as shownConverterText
// gives them, so that there are always exactly nine.
QString detailsText(const DeviceRecordExchange& record);

}  // namespace ql5config

// The request path still lives in the namespace it began in, and calls this
// rule by its plain name.
namespace ql5 {
using ql5config::shownConverterText;
}  // namespace ql5

#endif
