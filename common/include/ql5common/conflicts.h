// SPDX-License-Identifier: Apache-2.0
// Addressing conflicts that are worth a warning before they hurt: two parties
// with one IP address on one network, a converter whose address lies outside
// the network it answered on (its web interface cannot open from here, though
// it can still be configured by MAC), and a gateway outside the converter's own
// subnet. QL5Config marks such rows and warns in its IP settings dialog;
// ql5ctl lists the warnings and checks a plan before it applies it.
//
// All addresses are IPv4 in network order, as DeviceRecordExchange holds them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ql5common {

// One address of this workstation with its subnet mask.
struct LocalNetwork {
    std::uint32_t address;
    std::uint32_t mask;
};

// What the rules need to know of a converter.
struct ConverterAddressing {
    std::array<std::uint8_t, 6> mac{};
    std::uint32_t localAddress = 0;   // the workstation address it answered on
    std::uint32_t sourceAddress = 0;  // the address its reply came from; 0 if unknown
    std::uint32_t ip = 0, mask = 0, gateway = 0;
    bool dhcp = false;
};

enum class ConflictKind {
    kDuplicateIp,
    kUnreachableSubnet,
    kGatewayOutsideSubnet,
    // The MAC answered from more than one source address: another host may be
    // answering for it, to be sent the password. Commands to it are refused
    // until one network is chosen.
    kSeveralSources,
};

// A warning as data; ConflictText words it in English, and a window in
// its user's language.
struct Conflict {
    ConflictKind kind;
    // `address`: the IP address in question, the gateway, or the other
    // source. `subnet`, `subnetMask`: the local network it lies outside, or
    // the converter's own subnet. `otherMac` and `others`: the first of the
    // converters that report the same IP and how many they are; `others` 0
    // means it is this computer that uses the address.
    std::uint32_t address = 0;
    std::uint32_t subnet = 0;
    std::uint32_t subnetMask = 0;
    std::array<std::uint8_t, 6> otherMac{};
    std::size_t others = 0;
};

// The warnings of each converter, in the order given. Converters are on the
// same network when they answered on the same local address. `networks` are
// the workstation's own addresses with their masks: a converter that reports
// the workstation's own address on its network is a duplicate too, and a
// converter is unreachable when its address lies outside every subnet of the
// local address it answered on. A converter with IP 0 reports no address and
// gets neither of those warnings; gateway 0 means none. A MAC heard from two
// different source addresses (sources 0 are not compared) warns on each of
// its entries.
std::vector<std::vector<Conflict>> FindConflicts(std::span<const ConverterAddressing> converters,
                                                 std::span<const LocalNetwork> networks);

// The warnings for planned settings of one converter (the IP settings dialog,
// apply --dry-run), by the same rules. `others` may contain the converter
// itself (the same MAC): it is skipped.
std::vector<Conflict> CheckPlannedSettings(const ConverterAddressing& planned,
                                           std::span<const ConverterAddressing> others,
                                           std::span<const LocalNetwork> networks);

// One English sentence that names the other party.
std::string ConflictText(const Conflict& conflict);

// "duplicate-ip", "unreachable-subnet", "gateway-outside-subnet",
// "several-sources": the keys that the inventory formats carry.
std::string_view ConflictKey(ConflictKind kind);

// The prefix length of a subnet mask in network order, or -1 when the mask
// is not a run of leading ones.
int PrefixLength(std::uint32_t mask);

}  // namespace ql5common
