// SPDX-License-Identifier: Apache-2.0
// Device records made up for a test, described by the fields a case changes.
#pragma once

#include <ql5/discovery.h>

#include <cstdint>
#include <optional>

namespace ql5::sample {

// Fields of a record made for a test; unset optional fields stay absent.
// Addresses are text, read by the common library; a mistyped one throws.
struct RecordSpec {
    const char* mac = "02:51:c5:00:00:01";
    const char* ip = "198.51.100.10";
    const char* mask = "255.255.255.0";
    const char* gateway = "198.51.100.254";
    const char* dns = "0.0.0.0";
    std::optional<std::uint8_t> dhcp;
    const char* name = "Line 1";
    const char* productName = "QL5 Core Module";
    const char* firmware = "2.4.1";
    std::uint16_t serialLinkPort = 4001;
};

// The record as the client would deliver it for a reply with those fields.
DeviceRecordExchange MakeRecord(const RecordSpec& spec);

}  // namespace ql5::sample
