// SPDX-License-Identifier: Apache-2.0
// The datagrams that one converter sends: its discovery reply and the answer
// to a command, with its misbehaviours applied.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "fleet.h"

namespace ql5sim {

// Fields in a fixed order: MAC first, then addresses, names, numbers, and the
// converter's extra fields last. Empty settings are left out.
std::vector<std::uint8_t> EncodeDiscoveryReply(const Converter& converter, std::uint32_t magic);

// The answer to a command of the given reply type: MAC, result flag (code 10),
// error number (code 17) and, where there is one, the message (code 9).
std::vector<std::uint8_t> EncodeCommandReply(const Converter& converter, std::uint32_t magic,
                                             std::uint16_t replyType, bool accepted);

// Where the value of the first field with this code starts in a reply, or
// nothing when the reply has no such field (or is no reply at all).
std::optional<std::size_t> FindFieldValue(const std::vector<std::uint8_t>& datagram,
                                          std::uint8_t code);

// Appends unrecognised fields (code 200) so that the datagram becomes `size`
// bytes long; a datagram already that long or longer is left as it is.
void PadReply(std::vector<std::uint8_t>& datagram, std::size_t size);

}  // namespace ql5sim
