// SPDX-License-Identifier: Apache-2.0
// The client's encoders and decoder against the simulator's independent
// device-side codec: what the client sends, the converter must read the same
// way, and what the converter sends, the client must decode into the record.
#include "context.h"
#include "packet_format.h"
#include "reply_decoder.h"

#include "ql5sim/converter_replies.h"
#include "ql5sim/device_codec.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

const std::uint8_t kTarget[6] = {0x02, 0x51, 0xc5, 0x12, 0x34, 0x56};
const ql5sim::MacAddress kTargetMac{0x02, 0x51, 0xc5, 0x12, 0x34, 0x56};

ql5sim::Request ParseSent(const ql5::RequestBuffer& buffer, std::size_t size)
{
    const auto result = ql5sim::ParseRequest({buffer, size});
    EXPECT_TRUE(result.request.has_value()) << ql5sim::DescribeParseError(result.error);
    return result.request.value_or(ql5sim::Request{});
}

std::uint32_t NetworkOrder(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d)
{
    const std::uint8_t bytes[4] = {a, b, c, d};
    std::uint32_t value;
    std::memcpy(&value, bytes, 4);
    return value;
}

class ClientRoundTrip : public ::testing::Test {
protected:
    void SetUp() override
    {
        handle_ = OpenContext(QL5_PROTOCOL_MAGIC);
        ASSERT_NE(handle_, nullptr);
        context_ = ql5::ResolveContext(handle_);
        ASSERT_TRUE(ql5::InitDeviceRecord(context_, &record_));
    }
    void TearDown() override
    {
        ql5::ReleaseDeviceRecord(&record_);
        CloseContext(handle_);
    }

    // Decodes as the receiver does, from a zeroed 1,456-byte buffer.
    bool Decode(const Bytes& datagram, std::uint16_t type)
    {
        std::array<std::uint8_t, ql5::kReceiveBufferSize> buffer{};
        std::memcpy(buffer.data(), datagram.data(), std::min(datagram.size(), buffer.size()));
        ql5::ResetDeviceRecord(context_, &record_);
        return ql5::DecodeReply(context_, buffer.data(), buffer.size(), type, &record_);
    }

    const DeviceRecordExchange& Exchange() const { return record_.exchange; }

    DiscoveryHandle handle_ = nullptr;
    DiscoveryContext* context_ = nullptr;
    ql5::DeviceRecord record_{};
};

ql5sim::Converter FullConverter()
{
    ql5sim::Converter c;
    c.mac = kTargetMac;
    c.ip = ql5sim::Ipv4Address{198, 51, 100, 10};
    c.mask = ql5sim::Ipv4Address{255, 255, 255, 0};
    c.gateway = ql5sim::Ipv4Address{198, 51, 100, 254};
    c.dns = ql5sim::Ipv4Address{198, 51, 100, 53};
    c.dhcp = 1;
    c.name = "Line 1";
    c.code5 = "five";
    c.hardwareType = 7;
    c.productName = "QL5 Core Module";
    c.firmware = "2.4.1";
    c.serialLinkPort = 4001;
    c.portCount = 4;
    c.extraFields = {
        ql5sim::ReplyField{7, {0x09}},
        ql5sim::ReplyField{225, {0x01, 0x02}},
        ql5sim::ReplyField{229, Bytes(20, 0xab)},
        ql5sim::ReplyField{231, {0x00, 0x15, 0x00, 0x16}},
        ql5sim::ReplyField{19, {1, 2, 3}},  // unrecognised, skipped
    };
    return c;
}

}  // namespace

TEST_F(ClientRoundTrip, EveryClientRequestParsesOnTheDeviceSide)
{
    ql5::RequestBuffer buffer{};
    std::size_t size = ql5::EncodeDiscoveryRequest(buffer, QL5_PROTOCOL_MAGIC, ql5::BroadcastMac);
    ql5sim::Request request = ParseSent(buffer, size);
    EXPECT_EQ(request.magic, ql5sim::kProtocolMagic);
    EXPECT_EQ(request.type, ql5sim::kDiscoveryRequest);
    EXPECT_EQ(request.target, ql5sim::kBroadcastMac);

    size = ql5::EncodeConfigureStaticRequest(
        buffer, QL5_PROTOCOL_MAGIC, kTarget, NetworkOrder(198, 51, 100, 20),
        NetworkOrder(255, 255, 0, 0), NetworkOrder(198, 51, 100, 1), "secret");
    request = ParseSent(buffer, size);
    EXPECT_EQ(request.type, ql5sim::kConfigureStaticRequest);
    EXPECT_EQ(request.target, kTargetMac);
    EXPECT_EQ(request.address, (ql5sim::Ipv4Address{198, 51, 100, 20}));
    EXPECT_EQ(request.mask, (ql5sim::Ipv4Address{255, 255, 0, 0}));
    EXPECT_EQ(request.gateway, (ql5sim::Ipv4Address{198, 51, 100, 1}));
    EXPECT_EQ(request.password, "secret");

    size = ql5::EncodeRebootRequest(buffer, QL5_PROTOCOL_MAGIC, kTarget, "");
    request = ParseSent(buffer, size);
    EXPECT_EQ(request.type, ql5sim::kRebootRequest);
    EXPECT_EQ(request.target, kTargetMac);
    EXPECT_EQ(request.password, "");

    const std::string longest(255, 'p');
    size = ql5::EncodeConfigureDhcpRequest(buffer, QL5_PROTOCOL_MAGIC, kTarget, 0x101,
                                           longest.c_str());
    request = ParseSent(buffer, size);
    EXPECT_EQ(request.type, ql5sim::kConfigureDhcpRequest);
    EXPECT_EQ(request.dhcpFlag, 1);  // the low byte of 0x101
    EXPECT_EQ(request.target, kTargetMac);
    EXPECT_EQ(request.password, longest);
}

TEST_F(ClientRoundTrip, FullDiscoveryReplyFillsTheRecord)
{
    const Bytes reply = ql5sim::EncodeDiscoveryReply(FullConverter(), ql5sim::kProtocolMagic);
    ASSERT_TRUE(Decode(reply, ql5::kDiscoveryReply));

    const DeviceRecordExchange& x = Exchange();
    EXPECT_EQ(std::memcmp(x.macAddress, kTarget, 6), 0);
    EXPECT_EQ(x.ipAddress, NetworkOrder(198, 51, 100, 10));
    EXPECT_EQ(x.subnetMask, NetworkOrder(255, 255, 255, 0));
    EXPECT_EQ(x.gatewayAddress, NetworkOrder(198, 51, 100, 254));
    EXPECT_EQ(x.dnsAddress, NetworkOrder(198, 51, 100, 53));
    EXPECT_EQ(x.dhcpMode, 1);
    EXPECT_STREQ(x.code4Text, "Line 1");
    EXPECT_STREQ(x.code5Text, "five");
    EXPECT_EQ(x.hardwareType, 7);
    EXPECT_EQ(x.code7Value, 9);
    EXPECT_STREQ(x.productName, "QL5 Core Module");
    EXPECT_STREQ(x.firmwareRevision, "2.4.1");
    EXPECT_EQ(x.serialLinkPort, 4001);
    EXPECT_EQ(x.portCount, 4);
    EXPECT_EQ(x.code225Value, 0x0102);
    EXPECT_EQ(x.code229Length, 13);
    EXPECT_EQ(x.presenceFlags, 0xbfffu);  // every bit but the one of code 12
    EXPECT_EQ(x.extPresenceFlags, QL5_HAS_CODE225_VALUE | QL5_HAS_CODE229_BYTES);
    EXPECT_EQ(record_.code231List.Count(), 2);
}

TEST_F(ClientRoundTrip, CommandAnswersCarryTheOutcome)
{
    ql5sim::Converter c;
    c.mac = kTargetMac;
    c.refusalError = 5;
    c.refusalMessage = std::string(255, 'm');
    ASSERT_TRUE(Decode(
        ql5sim::EncodeCommandReply(c, ql5sim::kProtocolMagic, ql5sim::kConfigureStaticReply, false),
        ql5::kConfigureStaticReply));
    EXPECT_EQ(record_.resultFlag, 1);
    EXPECT_EQ(record_.errorCode, 5);
    EXPECT_EQ(std::string(record_.resultMessage), std::string(255, 'm'));

    ASSERT_EQ(
        Decode(ql5sim::EncodeCommandReply(c, ql5sim::kProtocolMagic, ql5sim::kRebootReply, true),
               ql5::kRebootReply),
        1);
    EXPECT_EQ(record_.resultFlag, 0);
    EXPECT_EQ(record_.errorCode, 0);
    EXPECT_STREQ(record_.resultMessage, "");
    // A reply is only ever taken for the type its request expects.
    EXPECT_EQ(
        Decode(ql5sim::EncodeCommandReply(c, ql5sim::kProtocolMagic, ql5sim::kRebootReply, true),
               ql5::kConfigureDhcpReply),
        0);
}

TEST_F(ClientRoundTrip, MisbehavingRepliesAreRefusedOrMarked)
{
    ql5sim::Converter c = FullConverter();
    c.misbehave.replyMagic = 0x44494748;
    EXPECT_FALSE(
        Decode(ql5sim::EncodeDiscoveryReply(c, ql5sim::kProtocolMagic), ql5::kDiscoveryReply));

    c = FullConverter();
    c.misbehave.replyType = ql5sim::kConfigureStaticReply;
    EXPECT_FALSE(
        Decode(ql5sim::EncodeDiscoveryReply(c, ql5sim::kProtocolMagic), ql5::kDiscoveryReply));

    c = FullConverter();
    c.extraFields.push_back(ql5sim::ReplyField{16, {0x00, 0x00, 0x01}});  // 3-byte integer
    EXPECT_FALSE(
        Decode(ql5sim::EncodeDiscoveryReply(c, ql5sim::kProtocolMagic), ql5::kDiscoveryReply));
    EXPECT_NE(Exchange().presenceFlags & QL5_HAS_MAC_ADDRESS, 0u);

    c = FullConverter();
    c.misbehave.omitMac = true;
    ASSERT_TRUE(
        Decode(ql5sim::EncodeDiscoveryReply(c, ql5sim::kProtocolMagic), ql5::kDiscoveryReply));
    EXPECT_EQ(Exchange().presenceFlags & QL5_HAS_MAC_ADDRESS, 0u);

    // Padded to the largest reply a receiver keeps: still a whole reply.
    c = FullConverter();
    c.misbehave.macLast = true;
    c.misbehave.padTo = ql5::kReceiveBufferSize;
    const Bytes padded = ql5sim::EncodeDiscoveryReply(c, ql5sim::kProtocolMagic);
    ASSERT_EQ(padded.size(), ql5::kReceiveBufferSize);
    ASSERT_TRUE(Decode(padded, ql5::kDiscoveryReply));
    EXPECT_EQ(std::memcmp(Exchange().macAddress, kTarget, 6), 0);
    EXPECT_STREQ(Exchange().firmwareRevision, "2.4.1");
}
