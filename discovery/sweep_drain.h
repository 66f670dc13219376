// SPDX-License-Identifier: Apache-2.0
// The sweep's reading of one socket in one cycle: the datagrams waiting there,
// up to a bound, taken in batches and turned into records in the context's
// reply queue.
#pragma once

#include "packet_format.h"
#include "platform/udp_socket.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

struct DiscoveryContext;

namespace ql5 {

// The most datagrams the sweep reads from one socket in one cycle. Without a
// bound, a steady stream of replies would keep the sweep from ever looking at
// its stop signal; the rest are read in the next cycles.
inline constexpr int kMaxDatagramsPerDrain = 256;

// The receive buffers of one sweep, made once when it starts: a batch of
// datagrams is received into them with one system call where the platform
// allows it.
class ReceiveBatch {
public:
    // A whole number of batches make the bound, so that the last batch of a
    // drain asks for as many datagrams as the others.
    static constexpr std::size_t kSize = 64;
    static_assert(kMaxDatagramsPerDrain % kSize == 0);

    // A heap batch, or null when memory is exhausted.
    static std::unique_ptr<ReceiveBatch> Create() noexcept;

    platform::DatagramSlot* Slots() noexcept { return slots_.data(); }

private:
    ReceiveBatch() = default;

    std::array<std::array<std::uint8_t, kReceiveBufferSize>, kSize> buffers_;
    std::array<platform::DatagramSlot, kSize> slots_;
};

// Reads the datagrams waiting on the socket, at most kMaxDatagramsPerDrain,
// and offers every acceptable discovery reply to the reply queue with
// `localAddress` as the address it arrived on; the others (cut to fit, empty,
// not a reply) are dropped, and the datagrams behind them read on. Returns
// the number of replies accepted.
std::size_t DrainSocket(DiscoveryContext* context, platform::SocketHandle socket,
                        std::uint32_t localAddress, ReceiveBatch& batch);

}  // namespace ql5
