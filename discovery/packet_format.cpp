// SPDX-License-Identifier: Apache-2.0
#include "packet_format.h"

#include "byte_order.h"

#include <algorithm>
#include <cstring>

namespace ql5 {

namespace {

// Fixed payload sizes before the password bytes.
constexpr std::uint16_t kDiscoveryPayload = 6;
constexpr std::uint16_t kConfigureStaticPayload = 19;
constexpr std::uint16_t kRebootPayload = 7;
constexpr std::uint16_t kConfigureDhcpPayload = 8;

std::size_t PasswordLength(const char* password)
{
    // Looks at most one byte past the longest password that fits, so an
    // unterminated buffer is never read further than that.
    return strnlen(password, kMaxPasswordLength + 1);
}

void WriteHeader(std::uint8_t* out, std::uint32_t magic, std::uint16_t type, std::uint16_t payload)
{
    WriteBig32(out, magic);
    WriteBig16(out + 4, type);
    WriteBig16(out + 6, payload);
}

// Writes the length byte and the password bytes; returns the bytes written.
std::size_t WritePassword(std::uint8_t* out, const char* password, std::size_t length)
{
    out[0] = static_cast<std::uint8_t>(length);
    std::memcpy(out + 1, password, length);
    return length + 1;
}

}  // namespace

bool IsBroadcastMac(const std::uint8_t* mac)
{
    return std::equal(mac, mac + kMacSize, BroadcastMac);
}

bool PasswordFits(const char* password)
{
    return password != nullptr && PasswordLength(password) <= kMaxPasswordLength;
}

std::size_t EncodeDiscoveryRequest(RequestBuffer& buffer, std::uint32_t magic,
                                   const std::uint8_t* targetMac)
{
    WriteHeader(buffer, magic, kDiscoveryRequest, kDiscoveryPayload);
    std::memcpy(buffer + 8, targetMac, kMacSize);
    return kHeaderSize + kDiscoveryPayload;
}

std::size_t EncodeConfigureStaticRequest(RequestBuffer& buffer, std::uint32_t magic,
                                         const std::uint8_t* targetMac, std::uint32_t address,
                                         std::uint32_t mask, std::uint32_t gateway,
                                         const char* password)
{
    if (!PasswordFits(password))
        return 0;
    const std::size_t length = PasswordLength(password);
    const auto payload = static_cast<std::uint16_t>(kConfigureStaticPayload + length);
    WriteHeader(buffer, magic, kConfigureStaticRequest, payload);
    // The addresses are already in network order: their bytes go out as stored.
    std::memcpy(buffer + 8, &address, 4);
    std::memcpy(buffer + 12, &mask, 4);
    std::memcpy(buffer + 16, &gateway, 4);
    std::memcpy(buffer + 20, targetMac, kMacSize);
    WritePassword(buffer + 26, password, length);
    return kHeaderSize + payload;
}

std::size_t EncodeRebootRequest(RequestBuffer& buffer, std::uint32_t magic,
                                const std::uint8_t* targetMac, const char* password)
{
    if (!PasswordFits(password))
        return 0;
    const std::size_t length = PasswordLength(password);
    const auto payload = static_cast<std::uint16_t>(kRebootPayload + length);
    WriteHeader(buffer, magic, kRebootRequest, payload);
    std::memcpy(buffer + 8, targetMac, kMacSize);
    WritePassword(buffer + 14, password, length);
    return kHeaderSize + payload;
}

std::size_t EncodeConfigureDhcpRequest(RequestBuffer& buffer, std::uint32_t magic,
                                       const std::uint8_t* targetMac, std::uint32_t dhcpFlag,
                                       const char* password)
{
    if (!PasswordFits(password))
        return 0;
    const std::size_t length = PasswordLength(password);
    const auto payload = static_cast<std::uint16_t>(kConfigureDhcpPayload + length);
    WriteHeader(buffer, magic, kConfigureDhcpRequest, payload);
    buffer[8] = static_cast<std::uint8_t>(dhcpFlag);
    std::memcpy(buffer + 9, targetMac, kMacSize);
    WritePassword(buffer + 15, password, length);
    return kHeaderSize + payload;
}

}  // namespace ql5
