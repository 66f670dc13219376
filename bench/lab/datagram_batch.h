// SPDX-License-Identifier: Apache-2.0
// The datagrams that one recvmmsg call takes from a socket, read the way a
// bare receiver that knows nothing of the client reads them. The baselines
// of the sweep benchmarks share it, so that they measure the same reading.
#pragma once

#include <sys/socket.h>

#include <array>
#include <cstddef>
#include <cstdint>

namespace ql5::bench {

template <std::size_t Count, std::size_t Capacity>
class DatagramBatch {
public:
    static constexpr std::size_t kCount = Count;

    // Takes what waits on the socket without blocking: the number of
    // datagrams read, or 0 or less when none waited.
    int Receive(int descriptor)
    {
        for (std::size_t i = 0; i < Count; ++i) {
            vectors_[i] = iovec{buffers_[i].data(), buffers_[i].size()};
            messages_[i] = mmsghdr{};
            messages_[i].msg_hdr.msg_iov = &vectors_[i];
            messages_[i].msg_hdr.msg_iovlen = 1;
        }
        return recvmmsg(descriptor, messages_.data(), Count, MSG_DONTWAIT, nullptr);
    }

    [[nodiscard]] const std::uint8_t* Data(int index) const { return buffers_[index].data(); }
    [[nodiscard]] std::size_t Length(int index) const { return messages_[index].msg_len; }

private:
    std::array<std::array<std::uint8_t, Capacity>, Count> buffers_{};
    std::array<iovec, Count> vectors_{};
    std::array<mmsghdr, Count> messages_{};
};

}  // namespace ql5::bench
