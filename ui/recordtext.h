#ifndef QL5CONFIG_RECORDTEXT_H
#define QL5CONFIG_RECORDTEXT_H

#include <ql5/discovery.h>

#include <QString>

#include <cstddef>
#include <cstdint>

// The display rules of the common library (ql5common) as QString: what every
// window shows about a record. The rules themselves live there, shared with
// ql5ctl; this file only converts. ql5common::NeutralisedText is there too
// for texts that must not act on what shows them.
namespace ql5 {

// "02:51:c5:0a:0b:0c": two lower-case hexadecimal digits per byte.
QString FormatMac(const std::uint8_t macAddress[6]);

// An IPv4 address held in network order as four decimal octets.
QString FormatDottedDecimal(std::uint32_t networkOrderAddress);

// Text bytes that came from a converter, up to the first NUL but never past
// capacity bytes: valid UTF-8 as such, anything else as Latin-1.
QString DecodeConverterText(const char* bytes, std::size_t capacity);

template <std::size_t N>
QString DecodeConverterText(const char (&field)[N])
{
    return DecodeConverterText(field, N);
}

// If the record's product name is exactly "Digi Connect ME", overwrites it in
// place with string 2 of the string table; any other name stays as it is.
void SubstituteProductName(DeviceRecordExchange& record);

// The nine lines that the information dialog shows about one converter, each
// ended by a line feed, with the converter's texts as received.
QString ComposeDetailsText(const DeviceRecordExchange& record);

}  // namespace ql5

#endif
