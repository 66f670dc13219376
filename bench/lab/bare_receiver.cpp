// SPDX-License-Identifier: Apache-2.0
#include "bare_receiver.h"

#include "datagram_batch.h"

#include <ql5/discovery.h>

#include <poll.h>
#include <sys/socket.h>

#include <chrono>
#include <ctime>

namespace ql5::bench {

namespace {

constexpr std::size_t kBatch = 64;
constexpr std::size_t kDatagramCapacity = 1456;

// CPU time of the calling thread, in seconds.
double ThreadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The first four bytes, big-endian: the protocol magic of a datagram.
std::uint32_t ReadMagic(const std::uint8_t* datagram)
{
    return (std::uint32_t{datagram[0]} << 24) | (std::uint32_t{datagram[1]} << 16) |
           (std::uint32_t{datagram[2]} << 8) | datagram[3];
}

}  // namespace

bool ReplyMac(const std::uint8_t* datagram, std::size_t length, std::uint16_t type,
              std::uint64_t* key)
{
    // header: magic (4), type (2), payload length (2); then code 1, length 6
    if (length < 16 || ReadMagic(datagram) != QL5_PROTOCOL_MAGIC)
        return false;
    if (((datagram[4] << 8) | datagram[5]) != type || datagram[8] != 1 || datagram[9] != 6)
        return false;
    *key = MacKey(datagram + 10);
    return true;
}

Burst DrainBurst(lab::WorkstationSocket& socket, std::size_t expected, Clock::duration quiet)
{
    // Static: 64 buffers of a datagram's size are too much for the stack.
    static DatagramBatch<kBatch, kDatagramCapacity> batch;
    Burst burst;
    burst.macs.reserve(expected);
    auto lastActivity = Clock::now();
    while (burst.macs.size() < expected) {
        const int count = batch.Receive(socket.Descriptor());
        const auto now = Clock::now();
        if (count <= 0) {
            if (now - lastActivity > quiet)
                break;
            continue;
        }
        lastActivity = now;
        if (burst.datagrams == 0)
            burst.first = now;
        burst.last = now;
        burst.lastCpuSeconds = ProcessCpuSeconds();
        burst.datagrams += static_cast<std::size_t>(count);
        for (int i = 0; i < count; ++i) {
            std::uint64_t key = 0;
            if (ReplyMac(batch.Data(i), batch.Length(i), 2, &key))
                burst.macs.insert(key);
        }
    }
    return burst;
}

bool AwaitReply(lab::WorkstationSocket& socket, std::uint16_t type, const std::uint8_t* mac,
                Clock::duration timeout)
{
    const auto deadline = Clock::now() + timeout;
    const std::uint64_t wanted = MacKey(mac);
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return false;
        const auto datagram = socket.Receive(left);
        std::uint64_t key = 0;
        if (datagram && ReplyMac(datagram->bytes.data(), datagram->bytes.size(), type, &key) &&
            key == wanted)
            return true;
    }
}

BlockingBurst ReceiveBurstBlocking(lab::WorkstationSocket& socket, const std::uint8_t* request,
                                   std::size_t length, std::size_t expected, Clock::duration quiet)
{
    // Static: 64 buffers of a datagram's size are too much for the stack.
    static DatagramBatch<kBatch, kDatagramCapacity> batch;
    std::unordered_set<std::uint64_t> macs;
    macs.reserve(expected);
    BlockingBurst burst;
    const double cpuStart = ThreadCpuSeconds();
    socket.SendToGroup(request, length);
    auto lastActivity = Clock::now();
    pollfd watched{socket.Descriptor(), POLLIN, 0};
    while (macs.size() < expected) {
        // The same wait as the sweep's: at most 200 ms at a time.
        if (poll(&watched, 1, 200) <= 0) {
            if (Clock::now() - lastActivity > quiet)
                break;
            continue;
        }
        ++burst.wakeUps;
        for (;;) {
            const int count = batch.Receive(socket.Descriptor());
            if (count <= 0)
                break;
            burst.datagrams += static_cast<std::size_t>(count);
            for (int i = 0; i < count; ++i) {
                std::uint64_t key = 0;
                if (ReplyMac(batch.Data(i), batch.Length(i), 2, &key))
                    macs.insert(key);
            }
            // A short batch means the socket is empty: back to the wait.
            if (static_cast<std::size_t>(count) < kBatch)
                break;
        }
        lastActivity = Clock::now();
    }
    // Read once at the end rather than at every datagram, which would add a
    // system call per wake-up to what is measured. After the last expected
    // reply that is at once; after a loss it adds the few empty waits of the
    // quiet time, as it does to the sweep thread.
    burst.cpuMs = (ThreadCpuSeconds() - cpuStart) * 1000;
    burst.found = macs.size();
    return burst;
}

}  // namespace ql5::bench
