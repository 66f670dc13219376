// SPDX-License-Identifier: Apache-2.0
#include "ql5common/details_text.h"

#include "ql5common/address_text.h"
#include "ql5common/product_name.h"

namespace ql5common {

std::optional<bool> DhcpEnabled(const DeviceRecordExchange& record)
{
    if ((record.presenceFlags & QL5_HAS_DHCP_MODE) == 0)
        return std::nullopt;
    return record.dhcpMode == 1;
}

const char* DhcpModeText(std::optional<bool> dhcpEnabled)
{
    if (!dhcpEnabled)
        return "N/A";
    return *dhcpEnabled ? "Enabled" : "Disabled";
}

std::string DetailsText(const DeviceRecordExchange& record, TextForm form)
{
    DeviceRecordExchange shown = record;
    SubstituteProductName(shown);
    // Composed by appending rather than from a format string, so that a
    // converter's text is never read as part of the format.
    std::string text;
    text += "Name: " + ShownText(DecodeConverterText(shown.productName), form) + "\n";
    text += "MAC Address: " + FormatMac(shown.macAddress) + "\n";
    text += "IP Address: " + FormatDottedDecimal(shown.ipAddress) + "\n";
    text += "Subnet Mask: " + FormatDottedDecimal(shown.subnetMask) + "\n";
    text += "Gateway Address: " + FormatDottedDecimal(shown.gatewayAddress) + "\n";
    text += "DNS Address: " + FormatDottedDecimal(shown.dnsAddress) + "\n";
    text += std::string("DHCP Mode: ") + DhcpModeText(DhcpEnabled(shown)) + "\n";
    text +=
        "Firmware Revision: " + ShownText(DecodeConverterText(shown.firmwareRevision), form) + "\n";
    text += "Serial Link Port: " + std::to_string(shown.serialLinkPort) + "\n";
    return text;
}

}  // namespace ql5common
