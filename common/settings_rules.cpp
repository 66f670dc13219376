// SPDX-License-Identifier: Apache-2.0
#include <ql5common/address_text.h>
#include <ql5common/settings_rules.h>

namespace ql5common {

namespace {

// The first octet of an address in network order, and the address in host
// order for the arithmetic of masks.
std::uint32_t HostOrder(std::uint32_t address)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(&address);
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
           (std::uint32_t{bytes[2]} << 8) | bytes[3];
}

// Multicast (224/4), reserved and limited broadcast (240/4), loopback (127/8)
// and "this network" (0/8): no converter can be reached at such an address.
const char* UnusableKind(std::uint32_t hostOrder)
{
    const std::uint32_t first = hostOrder >> 24;
    if (first >= 224 && first <= 239)
        return "a multicast address";
    if (hostOrder == 0xFFFFFFFFu)
        return "the broadcast address";
    if (first >= 240)
        return "a reserved address";
    if (first == 127)
        return "a loopback address";
    if (first == 0)
        return "an address of no network";
    return nullptr;
}

int PrefixLength(std::uint32_t hostMask)
{
    int length = 0;
    for (std::uint32_t bit = 0x80000000u; bit != 0 && (hostMask & bit) != 0; bit >>= 1)
        ++length;
    return length;
}

}  // namespace

bool IsContiguousMask(std::uint32_t mask)
{
    // Inverted, a contiguous mask is a block of ones at the right, and adding
    // one to such a block leaves no bit in common with it.
    const std::uint32_t hostBits = ~HostOrder(mask);
    return (hostBits & (hostBits + 1)) == 0;
}

SettingsVerdict CheckStaticSettings(std::uint32_t address, std::uint32_t mask,
                                    std::uint32_t gateway, bool force)
{
    const std::string ip = FormatDottedDecimal(address);
    if (address == 0)
        return {SettingsProblem::kZeroAddress, "0.0.0.0 is no address for a converter"};
    const std::uint32_t host = HostOrder(address);
    if (const char* kind = UnusableKind(host))
        return {SettingsProblem::kUnusableAddress,
                ip + " is " + kind + ", not one a converter can have"};
    if (mask == 0)
        return {SettingsProblem::kZeroMask, "0.0.0.0 is no subnet mask"};
    if (!IsContiguousMask(mask))
        return {SettingsProblem::kMaskNotContiguous,
                FormatDottedDecimal(mask) +
                    " is not a subnet mask: its one bits must be contiguous from the left, as "
                    "in 255.255.255.0"};
    const std::uint32_t hostMask = HostOrder(mask);
    const int prefix = PrefixLength(hostMask);
    const std::string subnet = FormatDottedDecimal(address & mask) + "/" + std::to_string(prefix);
    // A /31 or /32 has no network or broadcast address of its own.
    if (prefix <= 30 && ((host & ~hostMask) == 0 || (host | hostMask) == 0xFFFFFFFFu))
        return {SettingsProblem::kSubnetEdge,
                ip + " is the " + ((host & ~hostMask) == 0 ? "network" : "broadcast") +
                    " address of its subnet " + subnet};
    if (gateway == 0)
        return {};
    const std::string gw = FormatDottedDecimal(gateway);
    if (const char* kind = UnusableKind(HostOrder(gateway)))
        return {SettingsProblem::kUnusableGateway, "gateway " + gw + " is " + kind};
    if (!force && (gateway & mask) != (address & mask))
        return {SettingsProblem::kGatewayOutsideSubnet,
                "gateway " + gw + " is outside the subnet " + subnet};
    return {};
}

}  // namespace ql5common
