// SPDX-License-Identifier: Apache-2.0
#include "ql5common/converter_view.h"

#include "ql5common/address_text.h"
#include "ql5common/converter_text.h"
#include "ql5common/details_text.h"
#include "ql5common/product_name.h"

namespace ql5common {

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
    view.dhcp = DhcpEnabled(shown);
    view.serialLinkPort = shown.serialLinkPort;
    view.localAddress = FormatDottedDecimal(shown.localAddress);
    view.interfaceName = interfaceName;
    return view;
}

}  // namespace ql5common
