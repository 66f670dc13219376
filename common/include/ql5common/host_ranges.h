// SPDX-License-Identifier: Apache-2.0
// Addresses to ask by unicast in a sweep, as a user writes them (ql5ctl's
// --host, QL5Config's "Add addresses…"): one IPv4 address, or a range written
// as an address and a prefix length (10.1.5.0/28).
#pragma once

#include <ql5/discovery.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ql5common {

// The most addresses that one sweep asks together: a /16, as the discovery
// client takes at most (QL5_MAX_SWEEP_HOSTS).
inline constexpr std::size_t kMostHosts = QL5_MAX_SWEEP_HOSTS;

// Appends the addresses (network order) that the text names to `hosts`, in
// ascending order. A range's own network and broadcast addresses are left
// out where it has them (prefixes up to /30), so that no directed broadcast
// is sent. Returns the reason, to follow the quoted text, why it names no
// acceptable address or why the hosts would then number more than
// kMostHosts; `hosts` is then unchanged. Surrounding blanks are ignored.
std::optional<std::string> AddHosts(std::string_view text, std::vector<std::uint32_t>& hosts);

// One host address, not a range: for a command to one converter.
std::optional<std::uint32_t> ParseHostAddress(std::string_view text);

}  // namespace ql5common
