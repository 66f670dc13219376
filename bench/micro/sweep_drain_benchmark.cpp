// SPDX-License-Identifier: Apache-2.0
// Cost of the sweep's reading of one socket, per reply: a burst of fleet
// replies waits on a socket and the sweep's drain receives, decodes and
// queues it. The baseline is a bare receiver that takes the same burst with
// recvmmsg and does no more with a datagram than look at its header and keep
// its MAC in a set. The datagrams come through a local datagram socket pair,
// so no network is involved: the figure is the work of one drain, system
// calls included, without the wake-ups of a live sweep.
#include "context.h"
#include "datagram_batch.h"
#include "sweep_drain.h"

#include <ql5sim/device_codec.h>

#include <benchmark/benchmark.h>

#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Datagram = std::vector<std::uint8_t>;

// Replies waiting at each drain: half the sweep's bound per drain, so that
// one drain takes them all.
constexpr std::size_t kBurst = 128;

// QL5_PROTOCOL_MAGIC as it opens a datagram, big-endian.
constexpr std::uint8_t kMagicBytes[] = {0x44, 0x49, 0x47, 0x49};
// A workstation address in network order (198.51.100.1); the drain only
// stores it in each record.
constexpr std::uint32_t kLocalAddress = 0x016433C6;

// The discovery replies of a fleet as the simulator makes them for the lab
// benchmarks: every field a converter sends, a MAC and name of its own.
std::vector<Datagram> FleetReplies(std::size_t count)
{
    std::vector<Datagram> replies;
    for (std::size_t i = 0; i < count; ++i) {
        const auto high = static_cast<std::uint8_t>(i >> 8);
        const auto low = static_cast<std::uint8_t>(i);
        ql5sim::ReplyBuilder b;
        b.Mac(ql5sim::field::kMacAddress, {0x02, 0x51, 0xc5, 0x00, high, low});
        b.Ipv4(ql5sim::field::kIpAddress, {198, 18, high, low});
        b.Ipv4(ql5sim::field::kSubnetMask, {255, 254, 0, 0});
        b.Ipv4(ql5sim::field::kGatewayAddress, {198, 18, 0, 254});
        b.Ipv4(ql5sim::field::kDnsAddress, {198, 18, 0, 53});
        b.Integer(ql5sim::field::kDhcpMode, 0, 1);
        b.Text(ql5sim::field::kName, "Converter " + std::to_string(i + 1));
        b.Integer(ql5sim::field::kHardwareType, 7, 1);
        b.Text(ql5sim::field::kProductName, "QL5 Core Module");
        b.Text(ql5sim::field::kFirmwareRevision, "2.4.1");
        b.Integer(ql5sim::field::kSerialLinkPort, 4001, 2);
        b.Integer(ql5sim::field::kPortCount, 1, 1);
        replies.push_back(b.Encode(ql5sim::kProtocolMagic, ql5sim::kDiscoveryReply));
    }
    return replies;
}

// A connected pair of local datagram sockets; the receiving end is
// non-blocking, as the sweep's sockets are.
class SocketPair {
public:
    SocketPair()
    {
        if (socketpair(AF_UNIX, SOCK_DGRAM, 0, ends_) != 0)
            return;
        // Room for a whole burst in the sender's buffer.
        const int bytes = 4 * 1024 * 1024;
        setsockopt(ends_[0], SOL_SOCKET, SO_SNDBUF, &bytes, sizeof bytes);
        ok_ = static_cast<bool>(ql5::platform::SetNonBlocking(ends_[1]));
    }
    ~SocketPair()
    {
        for (int end : ends_) {
            if (end >= 0)
                close(end);
        }
    }
    SocketPair(const SocketPair&) = delete;
    SocketPair& operator=(const SocketPair&) = delete;

    bool Ok() const { return ok_; }
    int Receiver() const { return ends_[1]; }

    bool Send(const std::vector<Datagram>& datagrams) const
    {
        for (const Datagram& datagram : datagrams) {
            if (send(ends_[0], datagram.data(), datagram.size(), 0) !=
                static_cast<ssize_t>(datagram.size()))
                return false;
        }
        return true;
    }

private:
    int ends_[2] = {-1, -1};
    bool ok_ = false;
};

double Seconds(Clock::duration duration)
{
    return std::chrono::duration<double>(duration).count();
}

void BM_SweepDrain(benchmark::State& state)
{
    DiscoveryHandle handle = OpenContext(QL5_PROTOCOL_MAGIC);
    DiscoveryContext* context = ql5::ResolveContext(handle);
    const SocketPair pair;
    const auto replies = FleetReplies(kBurst);
    const auto batch = ql5::ReceiveBatch::Create();
    if (context == nullptr || !pair.Ok() || !batch) {
        state.SkipWithError("no context, socket pair or receive batch");
        CloseContext(handle);
        return;
    }
    for (auto _ : state) {
        if (!pair.Send(replies)) {
            state.SkipWithError("the burst did not fit the socket");
            break;
        }
        const auto start = Clock::now();
        const std::size_t accepted =
            ql5::DrainSocket(context, pair.Receiver(), kLocalAddress, *batch);
        state.SetIterationTime(Seconds(Clock::now() - start));
        // The reader's side, not timed: it takes the records out and frees
        // them, so the next burst makes new records again.
        ql5::ClearReplyQueue(context);
        if (accepted != kBurst) {
            state.SkipWithError("the drain did not take the whole burst");
            break;
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kBurst));
    CloseContext(handle);
}
BENCHMARK(BM_SweepDrain)->UseManualTime();

// The same burst taken by a bare recvmmsg loop.
void BM_BareRecvmmsgDrain(benchmark::State& state)
{
    constexpr std::size_t kBatch = 64;
    constexpr std::size_t kCapacity = 1456;
    const SocketPair pair;
    const auto replies = FleetReplies(kBurst);
    if (!pair.Ok()) {
        state.SkipWithError("no socket pair");
        return;
    }
    static ql5::bench::DatagramBatch<kBatch, kCapacity> batch;
    std::unordered_set<std::uint64_t> macs;
    for (auto _ : state) {
        if (!pair.Send(replies)) {
            state.SkipWithError("the burst did not fit the socket");
            break;
        }
        macs.clear();
        const auto start = Clock::now();
        for (;;) {
            const int count = batch.Receive(pair.Receiver());
            if (count <= 0)
                break;
            for (int i = 0; i < count; ++i) {
                const std::uint8_t* d = batch.Data(i);
                // header: magic, type 2, payload length; then code 1, length 6
                if (batch.Length(i) >= 16 && std::memcmp(d, kMagicBytes, 4) == 0 && d[5] == 2 &&
                    d[8] == 1 && d[9] == 6) {
                    std::uint64_t mac = 0;
                    for (int b = 10; b < 16; ++b)
                        mac = (mac << 8) | d[b];
                    macs.insert(mac);
                }
            }
            if (static_cast<std::size_t>(count) < kBatch)
                break;
        }
        state.SetIterationTime(Seconds(Clock::now() - start));
        if (macs.size() != kBurst) {
            state.SkipWithError("the receiver did not take the whole burst");
            break;
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kBurst));
}
BENCHMARK(BM_BareRecvmmsgDrain)->UseManualTime();

}  // namespace
