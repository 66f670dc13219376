// SPDX-License-Identifier: Apache-2.0
// The bytes of the discovery protocol: the header that opens every packet, the
// message types, and the four requests this client sends. Replies are walked
// and decoded by reply_decoder.h.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ql5 {

// Every packet: magic (4), message type (2), payload length (2), big-endian.
inline constexpr std::size_t kHeaderSize = 8;
inline constexpr std::size_t kMacSize = 6;

// A received datagram must fit this buffer; a longer one is discarded whole.
inline constexpr std::size_t kReceiveBufferSize = 1456;

// The largest request: a configure-static request with a 255-byte password.
inline constexpr std::size_t kMaxRequestSize = 282;
inline constexpr std::size_t kMaxPasswordLength = 255;

enum MessageType : std::uint16_t {
    kDiscoveryRequest = 1,
    kDiscoveryReply = 2,
    kConfigureStaticRequest = 3,
    kConfigureStaticReply = 4,
    kRebootRequest = 5,
    kRebootReply = 6,
    kConfigureDhcpRequest = 7,
    kConfigureDhcpReply = 8,
};

// The target MAC that addresses every device; only the sweep sends it.
inline constexpr std::uint8_t BroadcastMac[kMacSize] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

bool IsBroadcastMac(const std::uint8_t* mac);

using RequestBuffer = std::uint8_t[kMaxRequestSize];

// Each encoder fills the buffer and returns the number of bytes to send. The
// addresses are already in network order. The encoders that carry a password
// return 0 and write nothing when the password is null or longer than 255
// bytes: its length would not fit the length byte, and cutting it would send a
// password the user did not type.
std::size_t EncodeDiscoveryRequest(RequestBuffer& buffer, std::uint32_t magic,
                                   const std::uint8_t* targetMac);
std::size_t EncodeConfigureStaticRequest(RequestBuffer& buffer, std::uint32_t magic,
                                         const std::uint8_t* targetMac, std::uint32_t address,
                                         std::uint32_t mask, std::uint32_t gateway,
                                         const char* password);
std::size_t EncodeRebootRequest(RequestBuffer& buffer, std::uint32_t magic,
                                const std::uint8_t* targetMac, const char* password);
std::size_t EncodeConfigureDhcpRequest(RequestBuffer& buffer, std::uint32_t magic,
                                       const std::uint8_t* targetMac, std::uint32_t dhcpFlag,
                                       const char* password);

// True when the password fits a request (at most 255 bytes before its NUL).
bool PasswordFits(const char* password);

}  // namespace ql5
