// SPDX-License-Identifier: Apache-2.0
// The platform's datagram receive on a POSIX datagram socket pair: a local
// socket of the same kind as the client's UDP sockets, so the rule that a
// datagram longer than the buffer is dropped whole is tested without a network.
#include "packet_format.h"
#include "platform/udp_socket.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <vector>

using namespace ql5;

namespace {

class DatagramPair : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(socketpair(AF_UNIX, SOCK_DGRAM, 0, ends_), 0); }
    void TearDown() override
    {
        close(ends_[0]);
        close(ends_[1]);
    }

    void Send(std::size_t size, std::uint8_t fill)
    {
        const std::vector<std::uint8_t> bytes(size, fill);
        ASSERT_EQ(send(ends_[0], bytes.data(), bytes.size(), 0), static_cast<ssize_t>(size));
    }

    platform::SocketHandle Receiver() const { return ends_[1]; }

    int ends_[2] = {-1, -1};
};

}  // namespace

TEST_F(DatagramPair, ADatagramLongerThanTheBufferIsDroppedWhole)
{
    ASSERT_TRUE(platform::SetNonBlocking(Receiver()));
    struct Case {
        std::size_t sent;
        bool kept;
    };
    const Case cases[] = {
        {kReceiveBufferSize, true},       // 1,456 bytes: fits exactly
        {kReceiveBufferSize + 1, false},  // 1,457 bytes: one too many
        {0, true},                        // empty: a datagram of size 0
        {9000, false},
    };
    for (const Case& c : cases) {
        Send(c.sent, 0xA5);
        // The marker behind it shows that a dropped datagram leaves nothing
        // behind that a later receive could take for the start of a reply.
        Send(3, 0x5A);
        std::vector<std::uint8_t> buffer(kReceiveBufferSize + 64, 0);
        std::size_t size = 12345;
        EXPECT_EQ(platform::ReceiveDatagram(Receiver(), buffer.data(), kReceiveBufferSize, &size),
                  c.kept)
            << c.sent << " bytes";
        if (c.kept) {
            EXPECT_EQ(size, c.sent);
        }
        EXPECT_EQ(buffer[kReceiveBufferSize], 0) << "wrote past the buffer";
        ASSERT_TRUE(
            platform::ReceiveDatagram(Receiver(), buffer.data(), kReceiveBufferSize, &size));
        EXPECT_EQ(size, 3u) << "after " << c.sent << " bytes";
        EXPECT_EQ(buffer[0], 0x5A);
    }
    // Nothing waiting on a non-blocking socket is no datagram either.
    std::uint8_t buffer[16];
    std::size_t size = 0;
    EXPECT_FALSE(platform::ReceiveDatagram(Receiver(), buffer, sizeof buffer, &size));
}

TEST_F(DatagramPair, ABatchTakesEveryWaitingDatagramAndMarksTheOneCutToFit)
{
    ASSERT_TRUE(platform::SetNonBlocking(Receiver()));
    const std::size_t sizes[] = {10, kReceiveBufferSize + 1, 0, 20};
    for (std::size_t i = 0; i < 4; ++i)
        Send(sizes[i], static_cast<std::uint8_t>(i + 1));
    std::vector<std::vector<std::uint8_t>> buffers(8,
                                                   std::vector<std::uint8_t>(kReceiveBufferSize));
    std::vector<platform::DatagramSlot> slots;
    for (auto& buffer : buffers)
        slots.push_back({buffer.data(), buffer.size()});
    // The datagrams behind the one that was cut come in the same batch.
    ASSERT_EQ(platform::ReceiveDatagrams(Receiver(), slots.data(), slots.size()), 4u);
    const bool cut[] = {false, true, false, false};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(slots[i].truncated, cut[i]) << "datagram " << i;
        if (!cut[i]) {
            EXPECT_EQ(slots[i].size, sizes[i]) << "datagram " << i;
        }
        EXPECT_EQ(slots[i].source, 0u);  // no IPv4 sender on a local pair
    }
    EXPECT_EQ(buffers[3][19], 4);
    EXPECT_EQ(platform::ReceiveDatagrams(Receiver(), slots.data(), slots.size()), 0u);

    // More than one system call's worth, and fewer than asked for.
    for (int i = 0; i < 100; ++i)
        Send(3, static_cast<std::uint8_t>(i));
    buffers.resize(150, std::vector<std::uint8_t>(kReceiveBufferSize));
    slots.clear();
    for (auto& buffer : buffers)
        slots.push_back({buffer.data(), buffer.size()});
    ASSERT_EQ(platform::ReceiveDatagrams(Receiver(), slots.data(), slots.size()), 100u);
    EXPECT_EQ(buffers[99][0], 99);
}

TEST_F(DatagramPair, WaitReportsTheReadableSocketAndTheWakeEvent)
{
    platform::AutoResetEvent* wake = platform::AutoResetEvent::Create();
    ASSERT_NE(wake, nullptr);
    const platform::SocketHandle sockets[2] = {ends_[0], Receiver()};
    platform::SocketWaiter waiter;
    ASSERT_TRUE(waiter.Watch(sockets, 2, wake));
    std::size_t ready = 99;

    // Quiet: the wait times out with nothing readable.
    ASSERT_TRUE(waiter.Wait(std::chrono::milliseconds(20), &ready));
    EXPECT_EQ(ready, 0u);
    EXPECT_FALSE(waiter.Readable(0) || waiter.Readable(1));

    EXPECT_FALSE(waiter.Woken());

    // A signalled wake event ends the wait at once, and is not consumed.
    wake->Set();
    ASSERT_TRUE(waiter.Wait(std::chrono::seconds(5), &ready));
    EXPECT_EQ(ready, 0u);
    EXPECT_TRUE(waiter.Woken());
    EXPECT_TRUE(wake->TryConsume());

    Send(10, 1);
    ASSERT_TRUE(waiter.Wait(std::chrono::seconds(5), &ready));
    EXPECT_EQ(ready, 1u);
    EXPECT_FALSE(waiter.Readable(0));
    EXPECT_TRUE(waiter.Readable(1));
    EXPECT_FALSE(waiter.Readable(2));  // the wake event is no socket
    EXPECT_FALSE(waiter.Woken());
    platform::AutoResetEvent::Destroy(wake);
}

TEST(SocketWaiter, WatchesFarMoreThanSixtyFourSockets)
{
    // 100 pairs: only the last one's receiving end gets a datagram.
    std::vector<int> ends;
    for (int i = 0; i < 100; ++i) {
        int pair[2];
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_DGRAM, 0, pair), 0);
        ends.insert(ends.end(), {pair[0], pair[1]});
    }
    std::vector<platform::SocketHandle> receivers;
    for (std::size_t i = 1; i < ends.size(); i += 2)
        receivers.push_back(ends[i]);
    platform::SocketWaiter waiter;
    ASSERT_TRUE(waiter.Watch(receivers.data(), receivers.size()));
    ASSERT_EQ(send(ends[ends.size() - 2], "x", 1, 0), 1);
    std::size_t ready = 0;
    ASSERT_TRUE(waiter.Wait(std::chrono::seconds(5), &ready));
    EXPECT_EQ(ready, 1u);
    EXPECT_TRUE(waiter.Readable(99));
    EXPECT_FALSE(waiter.Readable(63));
    for (int end : ends)
        close(end);
}
