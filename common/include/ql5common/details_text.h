// SPDX-License-Identifier: Apache-2.0
// What the information window shows about one converter: the DHCP mode in
// words and the nine lines of details.
#pragma once

#include <ql5common/converter_text.h>

#include <ql5/discovery.h>

#include <optional>
#include <string>

namespace ql5common {

// The DHCP mode when the reply carried it: on for the value 1, off for any
// other value. Only this field asks whether it was present; every other
// field shows its zero or empty value when the reply left it out.
std::optional<bool> DhcpEnabled(const DeviceRecordExchange& record);

// "Enabled", "Disabled", or "N/A" when the converter did not report it.
const char* DhcpModeText(std::optional<bool> dhcpEnabled);

// "Name: %s\nMAC Address: %s\nIP Address: %s\nSubnet Mask: %s\n
// Gateway Address: %s\nDNS Address: %s\nDHCP Mode: %s\nFirmware Revision: %s\n
// Serial Link Port: %u\n" filled from the record, as UTF-8. The name is the
// product name after SubstituteProductName (applied to a copy); the product
// name and the firmware revision are converter text in the given form.
std::string DetailsText(const DeviceRecordExchange& record, TextForm form);

}  // namespace ql5common
