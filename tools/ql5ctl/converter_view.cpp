#include "converter_view.h"

#include "addresses.h"
#include "converter_text.h"

#include <cstring>

namespace ql5ctl {

void SubstituteProductName(DeviceRecordExchange& record)
{
    if (std::strncmp(record.productName, kModuleProductName, sizeof record.productName) != 0)
        return;
    std::memset(record.productName, 0, sizeof record.productName);
    std::memcpy(record.productName, kConverterProductName, sizeof kConverterProductName);
}

ConverterView MakeConverterView(const DeviceRecordExchange& record,
                                const std::string& interfaceName)
{
    DeviceRecordExchange shown = record;
    SubstituteProductName(shown);

    ConverterView view;
    view.mac = FormatMac(shown.macAddress);
    view.ip = FormatDottedDecimal(shown.ipAddress);
    view.mask = FormatDottedDecimal(shown.subnetMask);
    view.gateway = FormatDottedDecimal(shown.gatewayAddress);
    view.dns = FormatDottedDecimal(shown.dnsAddress);
    view.name = DecodeConverterText(shown.code4Text);
    view.product = DecodeConverterText(shown.productName);
    view.firmware = DecodeConverterText(shown.firmwareRevision);
    // Only the DHCP mode asks whether the field was present; every other
    // field shows its zero or empty value when the reply left it out.
    if ((shown.presenceFlags & QL5_HAS_DHCP_MODE) != 0)
        view.dhcp = shown.dhcpMode == 1;
    view.realPort = shown.realPortPort;
    view.localAddress = FormatDottedDecimal(shown.localAddress);
    view.interfaceName = interfaceName;
    return view;
}

const char* DhcpModeText(const std::optional<bool>& dhcp)
{
    if (!dhcp)
        return "N/A";
    return *dhcp ? "Enabled" : "Disabled";
}

std::string DetailsText(const ConverterView& view)
{
    std::string text;
    text += "Name: " + TerminalText(view.product) + "\n";
    text += "MAC Address: " + view.mac + "\n";
    text += "IP Address: " + view.ip + "\n";
    text += "Subnet Mask: " + view.mask + "\n";
    text += "Gateway Address: " + view.gateway + "\n";
    text += "DNS Address: " + view.dns + "\n";
    text += std::string("DHCP Mode: ") + DhcpModeText(view.dhcp) + "\n";
    text += "Firmware Revision: " + TerminalText(view.firmware) + "\n";
    text += "RealPort Port: " + std::to_string(view.realPort) + "\n";
    return text;
}

}  // namespace ql5ctl
