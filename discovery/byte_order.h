// SPDX-License-Identifier: Apache-2.0
// Big-endian reads and writes for the wire format. Every multi-byte integer on
// the wire is big-endian; these helpers never depend on the host's order.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

namespace ql5 {

inline void WriteBig16(std::uint8_t* out, std::uint16_t value)
{
    out[0] = static_cast<std::uint8_t>(value >> 8);
    out[1] = static_cast<std::uint8_t>(value);
}

inline void WriteBig32(std::uint8_t* out, std::uint32_t value)
{
    out[0] = static_cast<std::uint8_t>(value >> 24);
    out[1] = static_cast<std::uint8_t>(value >> 16);
    out[2] = static_cast<std::uint8_t>(value >> 8);
    out[3] = static_cast<std::uint8_t>(value);
}

inline std::uint16_t ReadBig16(const std::uint8_t* in)
{
    return static_cast<std::uint16_t>((in[0] << 8) | in[1]);
}

inline std::uint32_t ReadBig32(const std::uint8_t* in)
{
    return (std::uint32_t{in[0]} << 24) | (std::uint32_t{in[1]} << 16) |
           (std::uint32_t{in[2]} << 8) | std::uint32_t{in[3]};
}

}  // namespace ql5

namespace ql5 {

// An IPv4 address as this client stores it: the four octets in memory order,
// first octet first (network order), whatever the host's byte order.
constexpr std::uint32_t Ipv4FromOctets(std::uint8_t a, std::uint8_t b, std::uint8_t c,
                                       std::uint8_t d)
{
    return std::bit_cast<std::uint32_t>(std::array<std::uint8_t, 4>{a, b, c, d});
}

}  // namespace ql5
