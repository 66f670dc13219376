// SPDX-License-Identifier: Apache-2.0
// The rules that static settings must pass before they are sent to a
// converter, the same for set-ip, every row of a plan and QL5Config's IP
// settings window: settings that would make the converter unreachable are
// refused, and a gateway outside the new subnet only with the caller's
// explicit say-so (--force), since a site may route that way on purpose.
//
// Addresses are IPv4 in network order, as DeviceRecordExchange holds them.
#pragma once

#include <cstdint>
#include <string>

namespace ql5common {

enum class SettingsProblem {
    kNone,
    kZeroAddress,           // 0.0.0.0
    kUnusableAddress,       // multicast, reserved, broadcast or loopback
    kZeroMask,              // 0.0.0.0
    kMaskNotContiguous,     // one bits with a gap
    kSubnetEdge,            // the subnet's own network or broadcast address
    kUnusableGateway,       // a gateway that is multicast, broadcast or loopback
    kGatewayOutsideSubnet,  // refused unless forced
};

struct SettingsVerdict {
    SettingsProblem problem = SettingsProblem::kNone;
    // One English sentence that names the value and says what is wrong.
    std::string text;
    explicit operator bool() const { return problem == SettingsProblem::kNone; }
};

// True for a mask whose one bits run from the left without a gap (0 too).
[[nodiscard]] bool IsContiguousMask(std::uint32_t mask);

// Checks address, mask and gateway (0: none) in that order and gives the
// first problem. `force` lets a gateway outside the subnet pass, nothing else.
SettingsVerdict CheckStaticSettings(std::uint32_t address, std::uint32_t mask,
                                    std::uint32_t gateway, bool force = false);

}  // namespace ql5common
