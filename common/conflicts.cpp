// SPDX-License-Identifier: Apache-2.0
#include "ql5common/conflicts.h"

#include "ql5common/address_text.h"

#include <bit>
#include <cstddef>
#include <cstring>
#include <unordered_map>

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
    const std::string ip = FormatDottedDecimal(converter.ip);
    for (const LocalNetwork& own : networks) {
        if (own.address == converter.ip &&
            SameSubnet(own.address, converter.localAddress, own.mask)) {
            found.push_back(
                {.kind = ConflictKind::kDuplicateIp,
                 .text = "This computer uses the same IP address " + ip + " on this network.",
                 .address = converter.ip});
            break;
        }
    }
    if (firstOther == nullptr || others == 0)
        return;
    std::string text = "Converter " + FormatMac(firstOther->mac.data());
    if (others > 1)
        text += " and " + std::to_string(others - 1) + " more report";
    else
        text += " reports";
    found.push_back({.kind = ConflictKind::kDuplicateIp,
                     .text = text + " the same IP address " + ip + " on this network.",
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
                     .text = "IP address " + FormatDottedDecimal(converter.ip) +
                             " is outside the local network " +
                             SubnetText(answeredOn->address, answeredOn->mask) +
                             ", so its web interface cannot open from here.",
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
                         .text = "Gateway " + FormatDottedDecimal(converter.gateway) +
                                 " is outside the converter's own subnet " +
                                 SubnetText(converter.ip, converter.mask) + ".",
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
    // new ones may all keep one factory address: counting them by (local
    // address, IP), and by MAC within that, keeps the check linear.
    const auto addressKey = [](const ConverterAddressing& c) {
        return (std::uint64_t{c.localAddress} << 32) | c.ip;
    };
    const auto macKey = [](const ConverterAddressing& c) {
        std::uint64_t key = 0;
        for (std::uint8_t byte : c.mac)
            key = (key << 8) | byte;
        return key;
    };
    struct SameAddress {
        std::vector<const ConverterAddressing*> converters;
        std::unordered_map<std::uint64_t, std::size_t> perMac;
    };
    std::unordered_map<std::uint64_t, SameAddress> byAddress;
    // The first source each MAC was heard from, and whether another followed.
    struct Sources {
        std::uint32_t first = 0;
        std::uint32_t other = 0;
    };
    std::unordered_map<std::uint64_t, Sources> sourcesOf;
    for (const ConverterAddressing& converter : converters) {
        if (converter.sourceAddress != 0) {
            Sources& sources = sourcesOf[macKey(converter)];
            if (sources.first == 0)
                sources.first = converter.sourceAddress;
            else if (sources.first != converter.sourceAddress && sources.other == 0)
                sources.other = converter.sourceAddress;
        }
        SameAddress& group = byAddress[addressKey(converter)];
        group.converters.push_back(&converter);
        ++group.perMac[macKey(converter)];
    }

    std::vector<std::vector<Conflict>> found;
    found.reserve(converters.size());
    for (const ConverterAddressing& converter : converters) {
        const SameAddress& group = byAddress[addressKey(converter)];
        const std::size_t others = group.converters.size() - group.perMac.at(macKey(converter));
        const ConverterAddressing* firstOther = nullptr;
        for (const ConverterAddressing* candidate : group.converters) {
            if (candidate->mac != converter.mac) {
                firstOther = candidate;
                break;
            }
        }
        found.push_back(Check(converter, firstOther, others, networks));
        const auto sources = sourcesOf.find(macKey(converter));
        if (sources != sourcesOf.end() && sources->second.other != 0) {
            const std::uint32_t elsewhere = sources->second.first == converter.sourceAddress
                                                ? sources->second.other
                                                : sources->second.first;
            found.back().push_back(
                {.kind = ConflictKind::kSeveralSources,
                 .text = "This MAC also answered from " + FormatDottedDecimal(elsewhere) +
                         ": another host may be answering for it, so commands to it are refused.",
                 .address = elsewhere});
        }
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
