#ifndef QL5CONFIG_RECORDTEXT_H
#define QL5CONFIG_RECORDTEXT_H

#include <ql5/discovery.h>

#include <QString>

#include <cstddef>
#include <cstdint>

namespace ql5 {

// The six bytes of a MAC address in wire order as "02:51:c5:0a:0b:0c": two
// lower-case hexadecimal digits per byte, joined by colons.
QString FormatMac(const std::uint8_t macAddress[6]);

// An IPv4 address held in network order (first octet in the lowest address
// byte) as four decimal octets without leading zeros, first octet first.
QString FormatDottedDecimal(std::uint32_t networkOrderAddress);

// Text bytes that came from a converter, up to the first NUL but never past
// capacity bytes. Valid UTF-8 is decoded as such and anything else as
// Latin-1, so every byte sequence gives the same text on every machine.
QString DecodeConverterText(const char* bytes, std::size_t capacity);

template <std::size_t N>
QString DecodeConverterText(const char (&field)[N])
{
    return DecodeConverterText(field, N);
}

// If the record's product name is exactly "Digi Connect ME", overwrites it in
// place with string 2 of the string table; any other name stays as it is.
void SubstituteProductName(DeviceRecordExchange& record);

}  // namespace ql5

#endif
