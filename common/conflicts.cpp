// SPDX-License-Identifier: Apache-2.0
#include "ql5common/conflicts.h"

#include "ql5common/address_text.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <tuple>
#include <vector>

namespace ql5common {

namespace {

bool SameSubnet(std::uint32_t a, std::uint32_t b, std::uint32_t mask)
{
    return (a & mask) == (b & mask);
}

// A mask held in network order (first octet in the lowest address byte) as a
// number whose leading bits are the first octet's, on any byte order.
std::uint32_t HostOrder(std::uint32_t networkOrder)
{
    unsigned char bytes[4];
    std::memcpy(bytes, &networkOrder, sizeof bytes);
    return static_cast<std::uint32_t>(bytes[0]) << 24 | static_cast<std::uint32_t>(bytes[1]) << 16 |
           static_cast<std::uint32_t>(bytes[2]) << 8 | bytes[3];
}

// "198.51.100.0/24", or the mask in full when it is not a run of leading ones.
std::string SubnetText(std::uint32_t address, std::uint32_t mask)
{
    const std::string network = FormatDottedDecimal(address & mask);
    const int prefix = PrefixLength(mask);
    if (prefix >= 0)
        return network + "/" + std::to_string(prefix);
    return network + " mask " + FormatDottedDecimal(mask);
}

// `firstOther` is one of the `others` converters that answered on the same
// local address with the same IP. They are named in one warning, so that a
// batch of new converters that all keep their factory address gives one
// warning each, not one for every pair.
void CheckDuplicates(const ConverterAddressing& converter, const ConverterAddressing* firstOther,
                     std::size_t others, std::span<const LocalNetwork> networks,
                     std::vector<Conflict>& found)
{
    for (const LocalNetwork& own : networks) {
        if (own.address == converter.ip &&
            SameSubnet(own.address, converter.localAddress, own.mask)) {
            found.push_back({.kind = ConflictKind::kDuplicateIp, .address = converter.ip});
            break;
        }
    }
    if (firstOther == nullptr || others == 0)
        return;
    found.push_back({.kind = ConflictKind::kDuplicateIp,
                     .address = converter.ip,
                     .otherMac = firstOther->mac,
                     .others = others});
}

void CheckSubnet(const ConverterAddressing& converter, std::span<const LocalNetwork> networks,
                 std::vector<Conflict>& found)
{
    const LocalNetwork* answeredOn = nullptr;
    for (const LocalNetwork& own : networks) {
        if (own.address != converter.localAddress)
            continue;
        if (SameSubnet(own.address, converter.ip, own.mask))
            return;
        answeredOn = &own;
    }
    // Without the mask of the local address nothing can be said.
    if (answeredOn == nullptr)
        return;
    found.push_back({.kind = ConflictKind::kUnreachableSubnet,
                     .address = converter.ip,
                     .subnet = answeredOn->address & answeredOn->mask,
                     .subnetMask = answeredOn->mask});
}

// The rules for one converter, with the other converters that share its
// local address and IP already picked out.
std::vector<Conflict> Check(const ConverterAddressing& converter,
                            const ConverterAddressing* firstOther, std::size_t others,
                            std::span<const LocalNetwork> networks)
{
    std::vector<Conflict> found;
    // A converter that reports no address has nothing to collide with yet.
    if (converter.ip == 0)
        return found;
    CheckDuplicates(converter, firstOther, others, networks, found);
    CheckSubnet(converter, networks, found);
    if (converter.gateway != 0 && !SameSubnet(converter.gateway, converter.ip, converter.mask)) {
        found.push_back({.kind = ConflictKind::kGatewayOutsideSubnet,
                         .address = converter.gateway,
                         .subnet = converter.ip & converter.mask,
                         .subnetMask = converter.mask});
    }
    return found;
}

}  // namespace

std::vector<Conflict> CheckPlannedSettings(const ConverterAddressing& planned,
                                           std::span<const ConverterAddressing> others,
                                           std::span<const LocalNetwork> networks)
{
    const ConverterAddressing* firstOther = nullptr;
    std::size_t count = 0;
    for (const ConverterAddressing& other : others) {
        if (other.mac == planned.mac || other.localAddress != planned.localAddress ||
            other.ip != planned.ip)
            continue;
        if (count++ == 0)
            firstOther = &other;
    }
    return Check(planned, firstOther, count, networks);
}

std::vector<std::vector<Conflict>> FindConflicts(std::span<const ConverterAddressing> converters,
                                                 std::span<const LocalNetwork> networks)
{
    // A listing holds tens of thousands of converters at most, and a batch of
    // new ones may all keep one factory address. Their positions, sorted by
    // (local address, IP, MAC) and then by MAC alone, bring together those
    // that share an address or a MAC: the check stays O(n log n) and needs a
    // few numbers per converter, not a table per address.
    const auto addressKey = [](const ConverterAddressing& c) {
        return (std::uint64_t{c.localAddress} << 32) | c.ip;
    };
    const auto macKey = [](const ConverterAddressing& c) {
        std::uint64_t key = 0;
        for (std::uint8_t byte : c.mac)
            key = (key << 8) | byte;
        return key;
    };
    constexpr std::size_t kNone = SIZE_MAX;
    std::vector<std::size_t> order(converters.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    // Per position: how many converters with another MAC share its address,
    // the first of them, and the other source its MAC answered from.
    std::vector<std::size_t> others(converters.size(), 0);
    std::vector<std::size_t> firstOther(converters.size(), kNone);
    std::vector<std::uint32_t> elsewhere(converters.size(), 0);

    const auto byAddress = [&](std::size_t a, std::size_t b) {
        return std::tuple(addressKey(converters[a]), macKey(converters[a]), a) <
               std::tuple(addressKey(converters[b]), macKey(converters[b]), b);
    };
    std::sort(order.begin(), order.end(), byAddress);
    for (std::size_t group = 0; group < order.size();) {
        const std::uint64_t address = addressKey(converters[order[group]]);
        std::size_t end = group;
        while (end < order.size() && addressKey(converters[order[end]]) == address)
            ++end;
        // Within the group each MAC is a run in position order; the two runs
        // that start earliest name the first other converter of every run.
        std::size_t earliest = kNone;
        std::size_t second = kNone;
        for (std::size_t run = group; run < end;) {
            std::size_t runEnd = run;
            while (runEnd < end && converters[order[runEnd]].mac == converters[order[run]].mac)
                ++runEnd;
            if (earliest == kNone || order[run] < order[earliest]) {
                second = earliest;
                earliest = run;
            } else if (second == kNone || order[run] < order[second]) {
                second = run;
            }
            for (std::size_t i = run; i < runEnd; ++i)
                others[order[i]] = (end - group) - (runEnd - run);
            run = runEnd;
        }
        for (std::size_t i = group; i < end; ++i) {
            const bool inEarliest = converters[order[i]].mac == converters[order[earliest]].mac;
            const std::size_t first = inEarliest ? second : earliest;
            firstOther[order[i]] = first == kNone ? kNone : order[first];
        }
        group = end;
    }

    const auto byMac = [&](std::size_t a, std::size_t b) {
        return std::tuple(macKey(converters[a]), a) < std::tuple(macKey(converters[b]), b);
    };
    std::sort(order.begin(), order.end(), byMac);
    for (std::size_t run = 0; run < order.size();) {
        std::size_t end = run;
        while (end < order.size() && converters[order[end]].mac == converters[order[run]].mac)
            ++end;
        // The first source the MAC was heard from, and the first other one.
        std::uint32_t first = 0;
        std::uint32_t other = 0;
        for (std::size_t i = run; i < end && other == 0; ++i) {
            const std::uint32_t source = converters[order[i]].sourceAddress;
            if (first == 0)
                first = source;
            else if (source != 0 && source != first)
                other = source;
        }
        for (std::size_t i = run; other != 0 && i < end; ++i)
            elsewhere[order[i]] = converters[order[i]].sourceAddress == first ? other : first;
        run = end;
    }

    std::vector<std::vector<Conflict>> found;
    found.reserve(converters.size());
    for (std::size_t i = 0; i < converters.size(); ++i) {
        found.push_back(Check(converters[i],
                              firstOther[i] == kNone ? nullptr : &converters[firstOther[i]],
                              others[i], networks));
        if (elsewhere[i] != 0)
            found.back().push_back(
                {.kind = ConflictKind::kSeveralSources, .address = elsewhere[i]});
    }
    return found;
}

int PrefixLength(std::uint32_t mask)
{
    const std::uint32_t hostMask = HostOrder(mask);
    if (std::countl_one(hostMask) + std::countr_zero(hostMask) == 32)
        return std::countl_one(hostMask);
    return -1;
}

std::string ConflictText(const Conflict& conflict)
{
    const std::string address = FormatDottedDecimal(conflict.address);
    switch (conflict.kind) {
    case ConflictKind::kDuplicateIp:
        if (conflict.others == 0)
            return "This computer uses the same IP address " + address + " on this network.";
        return "Converter " + FormatMac(conflict.otherMac.data()) +
               (conflict.others > 1 ? " and " + std::to_string(conflict.others - 1) + " more report"
                                    : std::string(" reports")) +
               " the same IP address " + address + " on this network.";
    case ConflictKind::kUnreachableSubnet:
        return "IP address " + address + " is outside the local network " +
               SubnetText(conflict.subnet, conflict.subnetMask) +
               ", so its web interface cannot open from here.";
    case ConflictKind::kGatewayOutsideSubnet:
        return "Gateway " + address + " is outside the converter's own subnet " +
               SubnetText(conflict.subnet, conflict.subnetMask) + ".";
    case ConflictKind::kSeveralSources:
        return "This MAC also answered from " + address +
               ": another host may be answering for it, so commands to it are refused.";
    }
    return "";
}

std::string_view ConflictKey(ConflictKind kind)
{
    switch (kind) {
    case ConflictKind::kDuplicateIp: return "duplicate-ip";
    case ConflictKind::kUnreachableSubnet: return "unreachable-subnet";
    case ConflictKind::kGatewayOutsideSubnet: return "gateway-outside-subnet";
    case ConflictKind::kSeveralSources: return "several-sources";
    }
    return "";
}

}  // namespace ql5common
