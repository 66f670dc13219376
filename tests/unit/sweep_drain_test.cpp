// SPDX-License-Identifier: Apache-2.0
// The sweep's drain of one socket, on a local datagram socket pair: what it
// drops and reads on behind, its bound per cycle, and receive buffers that a
// longer datagram used before.
#include "context.h"
#include "sweep_drain.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace ql5;

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kLocalAddress = 0x016433C6;  // 198.51.100.1

// A reply of the given type: the protocol magic, type, payload length, then the MAC field
// (code 1) ending in `macTail` and any further bytes of payload.
Bytes Reply(std::uint8_t macTail, const Bytes& more = {}, std::uint16_t type = kDiscoveryReply)
{
    const std::size_t payload = 8 + more.size();
    Bytes bytes = {0x44,
                   0x49,
                   0x47,
                   0x49,  // the protocol magic
                   static_cast<std::uint8_t>(type >> 8),
                   static_cast<std::uint8_t>(type),
                   static_cast<std::uint8_t>(payload >> 8),
                   static_cast<std::uint8_t>(payload),
                   0x01,
                   0x06,
                   0x02,
                   0x51,
                   0xc5,
                   0x00,
                   0x00,
                   macTail};  // code 1, MAC
    bytes.insert(bytes.end(), more.begin(), more.end());
    return bytes;
}

// A text field (code 4, the name).
Bytes Name(const std::string& text)
{
    Bytes field = {0x04, static_cast<std::uint8_t>(text.size())};
    field.insert(field.end(), text.begin(), text.end());
    return field;
}

class SweepDrain : public ::testing::Test {
protected:
    void SetUp() override
    {
        handle_ = OpenContext(QL5_PROTOCOL_MAGIC);
        context_ = ResolveContext(handle_);
        ASSERT_NE(context_, nullptr);
        batch_ = ReceiveBatch::Create();
        ASSERT_NE(batch_, nullptr);
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_DGRAM, 0, ends_), 0);
        const int bytes = 4 * 1024 * 1024;  // room for a few hundred datagrams
        setsockopt(ends_[0], SOL_SOCKET, SO_SNDBUF, &bytes, sizeof bytes);
        ASSERT_TRUE(platform::SetNonBlocking(ends_[1]));
    }
    void TearDown() override
    {
        close(ends_[0]);
        close(ends_[1]);
        CloseContext(handle_);
    }

    void Send(const Bytes& datagram)
    {
        ASSERT_EQ(send(ends_[0], datagram.data(), datagram.size(), 0),
                  static_cast<ssize_t>(datagram.size()));
    }
    std::size_t Drain() { return DrainSocket(context_, ends_[1], kLocalAddress, *batch_); }
    std::vector<DeviceRecordExchange> Queued()
    {
        std::vector<DeviceRecordExchange> records;
        DeviceRecordExchange record;
        while (context_->replyQueue->ReadHead(&record))
            records.push_back(record);
        return records;
    }

    DiscoveryHandle handle_ = nullptr;
    DiscoveryContext* context_ = nullptr;
    std::unique_ptr<ReceiveBatch> batch_;
    int ends_[2] = {-1, -1};
};

}  // namespace

TEST_F(SweepDrain, DropsWhatIsNoReplyAndReadsOnBehindIt)
{
    Bytes oversize = Reply(2, {0xFE, 0xFF});  // an unknown code, 255 bytes
    oversize.resize(kReceiveBufferSize + 1);
    oversize[7] = static_cast<std::uint8_t>(oversize.size() - kHeaderSize);
    oversize[6] = static_cast<std::uint8_t>((oversize.size() - kHeaderSize) >> 8);
    Send(Reply(1, Name("first")));
    Send(oversize);                    // cut to fit: dropped whole
    Send({});                          // empty
    Send(Reply(3, {}, kRebootReply));  // another message type
    Send(Reply(4, Name("second")));
    Send({0x44, 0x49, 0x47, 0x49, 0x00, 0x02, 0x00, 0x00});  // no MAC
    Send(Reply(5, Name("third")));
    EXPECT_EQ(Drain(), 3u);
    const auto records = Queued();
    ASSERT_EQ(records.size(), 3u);
    const std::uint8_t tails[] = {1, 4, 5};
    const char* names[] = {"first", "second", "third"};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(records[i].macAddress[5], tails[i]);
        EXPECT_STREQ(records[i].code4Text, names[i]);
        EXPECT_EQ(records[i].localAddress, kLocalAddress);
    }
    EXPECT_EQ(Drain(), 0u);
}

TEST_F(SweepDrain, ReadsQueuedRecordsInArrivalOrderAcrossTheLocksOfAReadAndBetweenReads)
{
    // More than a taking of the queue's lock copies: a read must neither lose
    // nor repeat a record where one taking ends and the next begins.
    for (std::uint8_t tail = 0; tail < 100; ++tail)
        Send(Reply(tail));
    ASSERT_EQ(Drain(), 100u);
    std::vector<DeviceRecordExchange> records(70);
    std::vector<std::uint32_t> sources(70, 0xFFFFFFFF);
    std::vector<std::uint8_t> tails;
    for (const int expected : {70, 30, 0}) {
        ASSERT_EQ(ReadDevicesFrom(handle_, records.data(), sources.data(), 70), expected);
        for (int i = 0; i < expected; ++i) {
            tails.push_back(records[static_cast<std::size_t>(i)].macAddress[5]);
            EXPECT_EQ(sources[static_cast<std::size_t>(i)], 0u);  // a local socket has none
        }
    }
    ASSERT_EQ(tails.size(), 100u);
    for (std::size_t i = 0; i < tails.size(); ++i)
        EXPECT_EQ(tails[i], i);
}

TEST_F(SweepDrain, DropsADatagramCutToFitEvenWhenItsStartIsAWholeReply)
{
    // A reply whose header and fields fill the buffer exactly, and one byte
    // more: cut to fit, what is left reads as a whole reply of its own.
    Bytes whole = Reply(1);
    while (whole.size() < kReceiveBufferSize) {
        const std::size_t value = std::min<std::size_t>(255, kReceiveBufferSize - whole.size() - 2);
        whole.push_back(0xFE);  // an unknown code, skipped by its length
        whole.push_back(static_cast<std::uint8_t>(value));
        whole.resize(whole.size() + value, 0x20);
    }
    ASSERT_EQ(whole.size(), kReceiveBufferSize);
    whole[6] = static_cast<std::uint8_t>((kReceiveBufferSize - kHeaderSize) >> 8);
    whole[7] = static_cast<std::uint8_t>(kReceiveBufferSize - kHeaderSize);
    whole.push_back(0x00);
    Send(whole);
    Send(Reply(2, Name("valid")));
    EXPECT_EQ(Drain(), 1u);
    const auto records = Queued();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].macAddress[5], 2);
}

TEST_F(SweepDrain, ReadsAtMostTheBoundPerCycle)
{
    for (int i = 0; i < 300; ++i) {
        Bytes reply = Reply(static_cast<std::uint8_t>(i));
        reply[14] = static_cast<std::uint8_t>(i >> 8);  // a MAC of its own
        Send(reply);
    }
    EXPECT_EQ(Drain(), static_cast<std::size_t>(kMaxDatagramsPerDrain));
    EXPECT_EQ(Drain(), 300u - kMaxDatagramsPerDrain);
    EXPECT_EQ(Queued().size(), 300u);
}

TEST_F(SweepDrain, BytesALongerDatagramLeftInTheBufferReadAsZero)
{
    Send(Reply(1, Name(std::string(200, 'x'))));
    EXPECT_EQ(Drain(), 1u);
    // The header claims 16 bytes more than came. In the same buffer the stale
    // name field would be read there; the drain must see zero bytes instead,
    // which are empty fields of code 0.
    Bytes shorter = Reply(2);
    shorter[7] += 16;
    Send(shorter);
    EXPECT_EQ(Drain(), 1u);
    const auto records = Queued();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].macAddress[5], 2);
    EXPECT_EQ(records[1].presenceFlags, QL5_HAS_MAC_ADDRESS);
    EXPECT_STREQ(records[1].code4Text, "");
}
