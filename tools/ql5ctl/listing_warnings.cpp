// SPDX-License-Identifier: Apache-2.0
#include "listing_warnings.h"

#include <ql5common/address_text.h>

#include <algorithm>

namespace ql5ctl {

ql5common::ConverterAddressing AddressingOf(const ql5common::ConverterView& view)
{
    const auto address = [](const std::string& text) {
        return ql5common::ParseDottedDecimal(text).value_or(0);
    };
    ql5common::ConverterAddressing addressing;
    addressing.mac = ql5common::ParseMac(view.mac).value_or(ql5common::MacAddress{});
    addressing.localAddress = address(view.localAddress);
    addressing.sourceAddress = address(view.sourceAddress);
    addressing.ip = address(view.ip);
    addressing.mask = address(view.mask);
    addressing.gateway = address(view.gateway);
    addressing.dhcp = view.dhcp.value_or(false);
    return addressing;
}

std::vector<std::string> MarkConflicts(std::vector<ql5common::ConverterView>& views,
                                       std::span<const ql5common::LocalNetwork> networks)
{
    std::vector<ql5common::ConverterAddressing> addressing;
    addressing.reserve(views.size());
    for (const ql5common::ConverterView& view : views)
        addressing.push_back(AddressingOf(view));
    const auto conflicts = ql5common::FindConflicts(addressing, networks);

    std::vector<std::string> lines;
    for (std::size_t i = 0; i < views.size(); ++i) {
        std::vector<std::string>& keys = views[i].warnings;
        keys.clear();
        for (const ql5common::Conflict& conflict : conflicts[i]) {
            const std::string key(ql5common::ConflictKey(conflict.kind));
            // The workstation and another converter may both hold the address:
            // the key says "duplicate-ip" once, the lines say who.
            if (std::find(keys.begin(), keys.end(), key) == keys.end())
                keys.push_back(key);
            lines.push_back(views[i].mac + " (" + views[i].ip +
                            "): " + ql5common::ConflictText(conflict));
        }
    }
    return lines;
}

void MarkConflictsOf(std::vector<ql5common::ConverterView>& views,
                     const std::vector<std::size_t>& which,
                     std::span<const ql5common::LocalNetwork> networks)
{
    std::vector<ql5common::ConverterAddressing> addressing;
    addressing.reserve(which.size());
    for (std::size_t i : which)
        addressing.push_back(AddressingOf(views[i]));
    const auto conflicts = ql5common::FindConflicts(addressing, networks);
    for (std::size_t j = 0; j < which.size(); ++j) {
        std::vector<std::string>& keys = views[which[j]].warnings;
        keys.clear();
        for (const ql5common::Conflict& conflict : conflicts[j]) {
            const std::string key(ql5common::ConflictKey(conflict.kind));
            if (std::find(keys.begin(), keys.end(), key) == keys.end())
                keys.push_back(key);
        }
    }
}

}  // namespace ql5ctl
