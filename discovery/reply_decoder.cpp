// SPDX-License-Identifier: Apache-2.0
#include "reply_decoder.h"

#include "byte_order.h"
#include "context.h"
#include "packet_format.h"
#include "product_table.h"

#include <algorithm>
#include <cstring>

namespace ql5 {

namespace {

struct ReplyField {
    std::uint8_t code;
    std::uint8_t length;
    const std::uint8_t* value;
};

bool DecodeMac(const ReplyField& field, std::uint8_t* out)
{
    if (field.length != kMacSize)
        return false;
    std::memcpy(out, field.value, kMacSize);
    return true;
}

// IPv4 values stay in network order, as they came.
bool DecodeIpv4(const ReplyField& field, std::uint32_t* out)
{
    if (field.length != 4)
        return false;
    std::memcpy(out, field.value, 4);
    return true;
}

bool DecodeText(const ReplyField& field, char* buffer, std::size_t capacity)
{
    const std::size_t count = std::min<std::size_t>(field.length, capacity - 1);
    std::memcpy(buffer, field.value, count);
    buffer[count] = '\0';
    return true;
}

bool DecodeInteger(const ReplyField& field, std::uint32_t* out)
{
    switch (field.length) {
    case 1: *out = field.value[0]; return true;
    case 2: *out = ReadBig16(field.value); return true;
    case 4: *out = ReadBig32(field.value); return true;
    default: return false;
    }
}

// On entry *count holds the capacity of data; on success the bytes kept.
bool DecodeBytes(const ReplyField& field, std::uint8_t* data, std::uint8_t* count)
{
    if (*count == 0)
        return false;
    *count = std::min(field.length, *count);
    std::memcpy(data, field.value, *count);
    return true;
}

bool DecodeWordList(const ReplyField& field, WordList& list)
{
    // A value already held is not a failure; values beyond the record's
    // bound are skipped.
    for (std::size_t i = 0; i + 1 < field.length && list.Count() < kMaxCode231Values; i += 2)
        list.Add(ReadBig16(field.value + i));
    return true;
}

template <typename Narrow>
bool DecodeNarrowInteger(const ReplyField& field, Narrow* out)
{
    std::uint32_t value = 0;
    if (!DecodeInteger(field, &value))
        return false;
    *out = static_cast<Narrow>(value);  // the record keeps the low bits
    return true;
}

struct FieldBits {
    std::uint32_t presence = 0;
    std::uint32_t extension = 0;
    std::uint32_t result = 0;
};

// Decodes one field into the record; false when a known field has a length its
// kind refuses. bits receives the presence bits to set on success.
bool DecodeField(const ReplyField& field, DeviceRecord& record, FieldBits& bits)
{
    DeviceRecordExchange& x = record.exchange;
    switch (field.code) {
    case 1: bits.presence = QL5_HAS_MAC_ADDRESS; return DecodeMac(field, x.macAddress);
    case 2: bits.presence = QL5_HAS_IP_ADDRESS; return DecodeIpv4(field, &x.ipAddress);
    case 3: bits.presence = QL5_HAS_SUBNET_MASK; return DecodeIpv4(field, &x.subnetMask);
    case 11: bits.presence = QL5_HAS_GATEWAY_ADDRESS; return DecodeIpv4(field, &x.gatewayAddress);
    case 15: bits.presence = QL5_HAS_DNS_ADDRESS; return DecodeIpv4(field, &x.dnsAddress);
    case 4:
        bits.presence = QL5_HAS_CODE4_TEXT;
        return DecodeText(field, x.code4Text, sizeof x.code4Text);
    case 5:
        bits.presence = QL5_HAS_CODE5_TEXT;
        return DecodeText(field, x.code5Text, sizeof x.code5Text);
    case 8:
        bits.presence = QL5_HAS_FIRMWARE_REVISION;
        return DecodeText(field, x.firmwareRevision, sizeof x.firmwareRevision);
    case 13:
        bits.presence = QL5_HAS_PRODUCT_NAME;
        return DecodeText(field, x.productName, sizeof x.productName);
    case 9:
        bits.result = kHasResultMessage;
        return DecodeText(field, record.resultMessage, sizeof record.resultMessage);
    case 6:
        bits.presence = QL5_HAS_HARDWARE_TYPE;
        return DecodeNarrowInteger(field, &x.hardwareType);
    case 7: bits.presence = QL5_HAS_CODE7_VALUE; return DecodeNarrowInteger(field, &x.code7Value);
    case 16: bits.presence = QL5_HAS_DHCP_MODE; return DecodeNarrowInteger(field, &x.dhcpMode);
    case 18: bits.presence = QL5_HAS_PORT_COUNT; return DecodeNarrowInteger(field, &x.portCount);
    case 10: bits.result = kHasResultFlag; return DecodeNarrowInteger(field, &record.resultFlag);
    case 17: bits.result = kHasErrorCode; return DecodeNarrowInteger(field, &record.errorCode);
    case 14:
        bits.presence = QL5_HAS_SERIAL_LINK_PORT;
        return DecodeNarrowInteger(field, &x.serialLinkPort);
    case 12:
        bits.presence = QL5_HAS_CODE12_VALUE;
        return DecodeNarrowInteger(field, &x.code12Value);
    case 225:
        bits.extension = QL5_HAS_CODE225_VALUE;
        return DecodeNarrowInteger(field, &x.code225Value);
    case 227:
        bits.extension = QL5_HAS_CODE227_VALUE;
        return DecodeNarrowInteger(field, &x.code227Value);
    case 228:
        bits.extension = QL5_HAS_CODE228_VALUE;
        return DecodeNarrowInteger(field, &x.code228Value);
    case 230:
        bits.extension = QL5_HAS_CODE230_VALUE;
        return DecodeNarrowInteger(field, &x.code230Value);
    case 224:
        bits.extension = QL5_HAS_CODE224_BYTES;
        x.code224Length = sizeof x.code224Bytes;
        return DecodeBytes(field, x.code224Bytes, &x.code224Length);
    case 229:
        bits.extension = QL5_HAS_CODE229_BYTES;
        x.code229Length = sizeof x.code229Bytes;
        return DecodeBytes(field, x.code229Bytes, &x.code229Length);
    case 231: bits.result = kHasCode231List; return DecodeWordList(field, record.code231List);
    default: return true;  // unrecognised codes are skipped by their length
    }
}

// Fills in what a QL5 device may leave out: the product name from its hardware
// type, then the port count from the product name.
void CompleteFromProductTable(DeviceRecordExchange& x)
{
    if ((x.presenceFlags & QL5_HAS_PRODUCT_NAME) == 0 &&
        (x.presenceFlags & QL5_HAS_HARDWARE_TYPE) != 0) {
        if (LookupProductName(x.hardwareType, x.productName, sizeof x.productName))
            x.presenceFlags |= QL5_HAS_PRODUCT_NAME;
    }
    if ((x.presenceFlags & QL5_HAS_PORT_COUNT) == 0 &&
        (x.presenceFlags & QL5_HAS_PRODUCT_NAME) != 0) {
        if (LookupPortCount(x.productName, &x.portCount))
            x.presenceFlags |= QL5_HAS_PORT_COUNT;
    }
}

// A field's length byte allows at most this many value bytes.
constexpr std::size_t kMaxFieldValue = 255;

}  // namespace

void ClearBeyondDatagram(std::uint8_t* buffer, std::size_t size, std::size_t capacity)
{
    if (buffer == nullptr || size >= capacity)
        return;
    const auto clear = [&](std::size_t end) {
        end = std::min(end, capacity);
        if (end > size) {
            std::memset(buffer + size, 0, end - size);
            size = end;
        }
    };
    clear(kHeaderSize);
    if (capacity < kHeaderSize)
        return;
    // The walk reads a field only when it starts before the payload length;
    // the last one may start at its final byte and run a code, a length and
    // 255 value bytes from there.
    clear(kHeaderSize + ReadBig16(buffer + 6) + 1 + kMaxFieldValue);
}

bool DecodeReply(const DiscoveryContext* context, const std::uint8_t* buffer, std::size_t size,
                 std::uint16_t expectedType, DeviceRecord* record)
{
    if (context == nullptr || buffer == nullptr || record == nullptr || size < kHeaderSize)
        return false;
    if (ReadBig32(buffer) != context->protocolMagic || ReadBig16(buffer + 4) != expectedType)
        return false;
    const std::size_t payloadLength = ReadBig16(buffer + 6);
    const std::uint8_t* payload = buffer + kHeaderSize;
    const std::size_t available = size - kHeaderSize;

    DeviceRecordExchange& x = record->exchange;
    x.presenceFlags = 0;
    x.extPresenceFlags = 0;
    record->resultPresenceFlags = 0;

    bool decoded = true;
    std::size_t offset = 0;
    while (offset < payloadLength) {
        // Code and length must lie inside the buffer, and so must the value: a
        // field may run past the payload length but never past what we hold.
        if (available - offset < 2) {
            decoded = false;
            break;
        }
        const ReplyField field{payload[offset], payload[offset + 1], payload + offset + 2};
        if (available - offset - 2 < field.length) {
            decoded = false;
            break;
        }
        offset += std::size_t{field.length} + 2;

        FieldBits bits;
        if (!DecodeField(field, *record, bits)) {
            decoded = false;  // the walk goes on; the reply as a whole fails
            continue;
        }
        x.presenceFlags |= bits.presence;
        if (bits.extension != 0) {
            x.extPresenceFlags |= bits.extension;
            x.presenceFlags |= QL5_HAS_EXTENSION;
        }
        record->resultPresenceFlags |= bits.result;
    }
    if (!decoded)
        return false;
    if (context->protocolMagic == QL5_PROTOCOL_MAGIC)
        CompleteFromProductTable(x);
    return true;
}

}  // namespace ql5
