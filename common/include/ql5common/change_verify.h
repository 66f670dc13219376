// SPDX-License-Identifier: Apache-2.0
// Confirming a change: after a converter has accepted static settings or
// DHCP, follow it by MAC until it reports the new settings. Some converters
// apply a change only after a reboot, and only this tells the user so.
#pragma once

#include <ql5/discovery.h>

#include <atomic>
#include <chrono>
#include <cstdint>

namespace ql5common {

// What the converter should report once the change took effect. Addresses
// in network order.
struct ExpectedSettings {
    bool dhcp = false;
    std::uint32_t ip = 0, mask = 0, gateway = 0;
};

enum class VerifyOutcome {
    kConfirmed,    // it reports the expected settings
    kOldSettings,  // it answered, but never with the expected settings
    kNoAnswer,     // it never answered
};

// How long QL5Config and ql5ctl follow a converter after a change.
inline constexpr std::chrono::seconds kVerifyLimit{15};

// Whether the record shows the expected settings: for DHCP, DHCP on and an
// address; otherwise the IP, mask and gateway, with DHCP not reported on.
bool ReportsSettings(const DeviceRecordExchange& record, const ExpectedSettings& expected);

// Follows the converter by MAC through `localAddress` (0: every local
// address) with short queries to the discovery group, repeated, for up to
// `limit`, until it reports the expected settings. For a converter reached by
// unicast (`deviceAddress`, its address before the change, not 0), which may
// sit behind a router that the group does not cross, the queries go by
// unicast through `localAddress` instead, in turn to the address it should
// now have (a static change) and to `deviceAddress`. `last`, when not null,
// receives the last record heard (untouched when none was). `cancelled`, when
// not null, is polled between queries so that a window that closes does not
// wait; a cancelled wait reports what it had seen so far. The handle is used
// on the calling thread only.
VerifyOutcome VerifyChange(DiscoveryHandle handle, std::uint32_t localAddress,
                           std::uint32_t deviceAddress, const std::uint8_t mac[6],
                           const ExpectedSettings& expected, std::chrono::milliseconds limit,
                           DeviceRecordExchange* last,
                           const std::atomic<bool>* cancelled = nullptr);

}  // namespace ql5common
