// SPDX-License-Identifier: Apache-2.0
// One converter as ql5ctl and QL5Config's export show it: every field of a
// record already in its display form, so that the table, CSV and JSON all say
// the same thing.
#pragma once

#include <ql5/discovery.h>

#include <optional>
#include <string>
#include <vector>

namespace ql5common {

struct ConverterView {
    std::string mac;  // FormatMac
    std::string ip;   // dotted decimal; 0.0.0.0 when not reported
    std::string mask;
    std::string gateway;
    std::string dns;
    // Texts as UTF-8, decoded by DecodeConverterText.
    std::string name;     // the converter's own name (code 4)
    std::string product;  // after SubstituteProductName
    std::string firmware;
    std::optional<bool> dhcp;  // empty when the reply carried no DHCP mode
    unsigned serialLinkPort = 0;
    std::string localAddress;   // the workstation address the reply came in on
    std::string sourceAddress;  // the address the reply came from; "" if unknown
    std::string interfaceName;  // its interface, e.g. "eth0"; empty if unknown
    // Stable keys of the conflicts found for it (ConflictKey), in the order
    // found; empty until someone checks the listing as a whole.
    std::vector<std::string> warnings;

    bool operator==(const ConverterView&) const = default;
};

// Builds the view of a record as ReadDevices or QueryDevice delivered it (the
// product name is substituted here, on a copy). `interfaceName` names the
// interface that holds the record's local address.
ConverterView MakeConverterView(const DeviceRecordExchange& record,
                                const std::string& interfaceName);

}  // namespace ql5common
