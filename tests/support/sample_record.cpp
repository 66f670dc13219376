// SPDX-License-Identifier: Apache-2.0
#include "sample_record.h"

#include <ql5common/address_text.h>

#include <cstring>

namespace ql5::sample {

namespace {

template <std::size_t N>
void CopyText(char (&field)[N], const char* text)
{
    std::strncpy(field, text, N - 1);
}

}  // namespace

DeviceRecordExchange MakeRecord(const RecordSpec& spec)
{
    using ql5common::ParseDottedDecimal;
    DeviceRecordExchange record{};
    record.recordSize = QL5_DEVICE_RECORD_SIZE;
    record.layoutTag = 256;
    record.protocolMagic = QL5_PROTOCOL_MAGIC;
    record.presenceFlags = QL5_HAS_MAC_ADDRESS | QL5_HAS_IP_ADDRESS | QL5_HAS_SUBNET_MASK |
                           QL5_HAS_GATEWAY_ADDRESS | QL5_HAS_CODE4_TEXT | QL5_HAS_PRODUCT_NAME |
                           QL5_HAS_FIRMWARE_REVISION | QL5_HAS_SERIAL_LINK_PORT;
    // value() throws on a mistyped address, rather than building a record
    // that the test did not mean.
    const auto mac = ql5common::ParseMac(spec.mac).value();
    std::memcpy(record.macAddress, mac.data(), mac.size());
    record.ipAddress = ParseDottedDecimal(spec.ip).value();
    record.subnetMask = ParseDottedDecimal(spec.mask).value();
    record.gatewayAddress = ParseDottedDecimal(spec.gateway).value();
    record.dnsAddress = ParseDottedDecimal(spec.dns).value();
    if (spec.dhcp) {
        record.dhcpMode = *spec.dhcp;
        record.presenceFlags |= QL5_HAS_DHCP_MODE;
    }
    CopyText(record.code4Text, spec.name);
    CopyText(record.productName, spec.productName);
    CopyText(record.firmwareRevision, spec.firmware);
    record.serialLinkPort = spec.serialLinkPort;
    record.extensionSize = 64;
    return record;
}

}  // namespace ql5::sample
