#include "detailstext.h"

#include "recordtext.h"

namespace ql5 {

QString DhcpModeText(const DeviceRecordExchange& record)
{
    // Only this line asks whether the field was present: every other line
    // shows the zero or empty value of a field that the reply left out.
    if ((record.presenceFlags & QL5_HAS_DHCP_MODE) == 0)
        return QStringLiteral("N/A");
    return record.dhcpMode == 1 ? QStringLiteral("Enabled") : QStringLiteral("Disabled");
}

QString ComposeDetailsText(const DeviceRecordExchange& record)
{
    // One multi-argument arg() fills every place in a single pass, so a "%1"
    // inside a converter's text is never taken for a place to fill.
    return QStringLiteral("Name: %1\nMAC Address: %2\nIP Address: %3\nSubnet Mask: %4\n"
                          "Gateway Address: %5\nDNS Address: %6\nDHCP Mode: %7\n"
                          "Firmware Revision: %8\nRealPort Port: %9\n")
        .arg(DecodeConverterText(record.productName), FormatMac(record.macAddress),
             FormatDottedDecimal(record.ipAddress), FormatDottedDecimal(record.subnetMask),
             FormatDottedDecimal(record.gatewayAddress), FormatDottedDecimal(record.dnsAddress),
             DhcpModeText(record), DecodeConverterText(record.firmwareRevision),
             QString::number(record.realPortPort));
}

}  // namespace ql5
