// SPDX-License-Identifier: Apache-2.0
#include "context.h"
#include "packet_format.h"
#include "reply_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

using namespace ql5;

namespace {

using Bytes = std::vector<std::uint8_t>;

// A reply header with the protocol magic followed by the given payload.
Bytes Reply(std::uint16_t type, const Bytes& payload)
{
    Bytes bytes = {0x44,
                   0x49,
                   0x47,
                   0x49,
                   static_cast<std::uint8_t>(type >> 8),
                   static_cast<std::uint8_t>(type),
                   static_cast<std::uint8_t>(payload.size() >> 8),
                   static_cast<std::uint8_t>(payload.size())};
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return bytes;
}

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

const Bytes kMacField = {0x01, 0x06, 0x02, 0x00, 0x00, 0x00, 0x00, 0x01};  // code 1, MAC

Bytes TextField(std::uint8_t code, const std::string& text)
{
    Bytes field = {code, static_cast<std::uint8_t>(text.size())};
    field.insert(field.end(), text.begin(), text.end());
    return field;
}

class ReplyDecoder : public ::testing::Test {
protected:
    void SetUp() override
    {
        handle_ = OpenContext(QL5_PROTOCOL_MAGIC);
        ASSERT_NE(handle_, nullptr);
        context_ = ResolveContext(handle_);
        ASSERT_TRUE(InitDeviceRecord(context_, &record_));
    }
    void TearDown() override
    {
        ReleaseDeviceRecord(&record_);
        CloseContext(handle_);
    }

    // Decodes as the receiver does: the datagram sits at the start of a zeroed
    // receive buffer, and the decoder may look at the whole buffer.
    bool Decode(const Bytes& datagram, std::uint16_t type = kDiscoveryReply)
    {
        std::array<std::uint8_t, kReceiveBufferSize> buffer{};
        std::memcpy(buffer.data(), datagram.data(), std::min(datagram.size(), buffer.size()));
        ResetDeviceRecord(context_, &record_);
        return DecodeReply(context_, buffer.data(), buffer.size(), type, &record_);
    }

    DiscoveryHandle handle_ = nullptr;
    DiscoveryContext* context_ = nullptr;
    DeviceRecord record_{};
};

}  // namespace

TEST_F(ReplyDecoder, MinimalReplyCarriesMacAndAddress)
{
    const Bytes datagram = {
        0x44, 0x49, 0x47, 0x49,                          // the protocol magic
        0x00, 0x02, 0x00, 0x0E,                          // type 2, payload 14
        0x01, 0x06, 0x02, 0x00, 0x00, 0x00, 0x00, 0x01,  // MAC 02:00:00:00:00:01
        0x02, 0x04, 0xC0, 0x00, 0x02, 0x0A,              // IP 192.0.2.10
    };
    ASSERT_TRUE(Decode(datagram));
    const std::uint8_t mac[6] = {0x02, 0, 0, 0, 0, 0x01};
    EXPECT_EQ(std::memcmp(record_.exchange.macAddress, mac, 6), 0);
    const std::uint8_t ip[4] = {192, 0, 2, 10};
    EXPECT_EQ(std::memcmp(&record_.exchange.ipAddress, ip, 4), 0);
    EXPECT_EQ(record_.exchange.presenceFlags, QL5_HAS_MAC_ADDRESS | QL5_HAS_IP_ADDRESS);
    EXPECT_EQ(record_.exchange.extPresenceFlags, 0u);
    EXPECT_EQ(record_.resultPresenceFlags, 0u);
}

TEST_F(ReplyDecoder, EveryKnownFieldLandsInItsPlaceWithItsBit)
{
    const Bytes payload = Concat({
        kMacField,
        {0x02, 0x04, 10, 0, 0, 1},     // IP
        {0x03, 0x04, 255, 255, 0, 0},  // mask
        {0x0B, 0x04, 10, 0, 0, 254},   // gateway
        {0x0F, 0x04, 10, 0, 0, 53},    // DNS
        {0x10, 0x01, 0x01},            // DHCP mode
        {0x0E, 0x02, 0x0F, 0xA1},      // serial link port 4001
        TextField(4, "line-1"),
        TextField(5, "five"),
        {0x06, 0x01, 0x07},                    // hardware type
        {0x07, 0x04, 0x00, 0x00, 0x01, 0x09},  // code 7, low byte 9
        TextField(8, "2.4.1"),
        TextField(13, "QL5 Single Serial"),
        {0x12, 0x01, 0x04},        // port count
        {0x0C, 0x02, 0xBE, 0xEF},  // code 12
        {0x0A, 0x01, 0x01},        // result flag
        {0x11, 0x01, 0x05},        // error number
        TextField(9, "bad password"),
        {0xE1, 0x02, 0x12, 0x34},              // code 225
        {0xE3, 0x01, 0x07},                    // code 227
        {0xE4, 0x04, 0xAA, 0xBB, 0xCC, 0xDD},  // code 228: low 16 bits
        {0xE6, 0x02, 0x00, 0x02},              // code 230
        {0xE0, 0x03, 1, 2, 3},                 // code 224
        {0xE5, 0x02, 9, 8},                    // code 229
        {0xE7, 0x04, 0x00, 0x15, 0x00, 0x16},  // code 231
    });
    ASSERT_TRUE(Decode(Reply(kDiscoveryReply, payload)));
    const DeviceRecordExchange& x = record_.exchange;
    EXPECT_EQ(x.presenceFlags, 0xFFFFu);
    // The four addresses land in their own fields, in wire order.
    const auto* raw = reinterpret_cast<const std::uint8_t*>(&x);
    EXPECT_EQ(Bytes(raw + 20, raw + 26), (Bytes{0x02, 0x00, 0x00, 0x00, 0x00, 0x01}));  // MAC
    EXPECT_EQ(Bytes(raw + 28, raw + 32), (Bytes{10, 0, 0, 1}));                         // IP
    EXPECT_EQ(Bytes(raw + 32, raw + 36), (Bytes{255, 255, 0, 0}));                      // mask
    EXPECT_EQ(Bytes(raw + 36, raw + 40), (Bytes{10, 0, 0, 254}));                       // gateway
    EXPECT_EQ(Bytes(raw + 40, raw + 44), (Bytes{10, 0, 0, 53}));                        // DNS
    EXPECT_EQ(x.extPresenceFlags, 0x3Fu);
    EXPECT_EQ(record_.resultPresenceFlags, 0x0Fu);
    EXPECT_EQ(x.dhcpMode, 1);
    EXPECT_EQ(x.serialLinkPort, 4001);
    EXPECT_STREQ(x.code4Text, "line-1");
    EXPECT_STREQ(x.code5Text, "five");
    EXPECT_EQ(x.hardwareType, 7);
    EXPECT_EQ(x.code7Value, 9);
    EXPECT_STREQ(x.firmwareRevision, "2.4.1");
    EXPECT_STREQ(x.productName, "QL5 Single Serial");  // the reply's name wins
    EXPECT_EQ(x.portCount, 4);                         // and its own port count
    EXPECT_EQ(x.code12Value, 0xBEEF);
    EXPECT_EQ(record_.resultFlag, 1);
    EXPECT_EQ(record_.errorCode, 5);
    EXPECT_STREQ(record_.resultMessage, "bad password");
    EXPECT_EQ(x.code225Value, 0x1234);
    EXPECT_EQ(x.code227Value, 7);
    EXPECT_EQ(x.code228Value, 0xCCDD);
    EXPECT_EQ(x.code230Value, 2);
    EXPECT_EQ(x.code224Length, 3);
    EXPECT_EQ(x.code224Bytes[2], 3);
    EXPECT_EQ(x.code229Length, 2);
    EXPECT_EQ(x.code229Bytes[1], 8);
    EXPECT_EQ(record_.code231List.Count(), 2);

    // Byte-exact placement of the rest in the exchange part.
    EXPECT_EQ(raw[44], 1);    // dhcpMode
    EXPECT_EQ(raw[560], 7);   // hardwareType
    EXPECT_EQ(raw[1074], 4);  // portCount
    EXPECT_EQ(raw[1088], 3);  // code224Length
    EXPECT_EQ(raw[1128], 2);  // code229Length
    EXPECT_EQ(std::memcmp(raw + 818, "QL5 Single Serial", 12), 0);
    EXPECT_EQ(std::memcmp(raw + 48, "line-1", 7), 0);
}

TEST_F(ReplyDecoder, WrongMagicOrTypeLeavesRecordUntouched)
{
    const Bytes good = Reply(kDiscoveryReply, kMacField);
    Bytes wrongMagic = good;
    wrongMagic[3] = 0x48;
    EXPECT_FALSE(Decode(wrongMagic));
    EXPECT_EQ(record_.exchange.presenceFlags, 0u);
    EXPECT_FALSE(Decode(good, kConfigureStaticReply));
    EXPECT_EQ(record_.exchange.macAddress[0], 0);

    // A header mismatch after a good decode keeps the earlier flags.
    std::array<std::uint8_t, kReceiveBufferSize> buffer{};
    std::memcpy(buffer.data(), good.data(), good.size());
    ASSERT_TRUE(DecodeReply(context_, buffer.data(), buffer.size(), kDiscoveryReply, &record_));
    buffer[5] = 4;
    EXPECT_FALSE(DecodeReply(context_, buffer.data(), buffer.size(), kDiscoveryReply, &record_));
    EXPECT_EQ(record_.exchange.presenceFlags, QL5_HAS_MAC_ADDRESS);
}

TEST_F(ReplyDecoder, RefusedLengthFailsWholeReplyButWalkGoesOn)
{
    struct Case {
        const char* what;
        Bytes badField;
    };
    const Case cases[] = {
        {"three-byte integer", {0x10, 0x03, 0, 0, 1}},
        {"five-byte MAC", {0x01, 0x05, 1, 2, 3, 4, 5}},
        {"three-byte IPv4", {0x02, 0x03, 1, 2, 3}},
        {"empty integer", {0x11, 0x00}},
    };
    for (const Case& c : cases) {
        const Bytes payload =
            Concat({kMacField, c.badField, TextField(4, "after"), {0x06, 0x01, 0x01}});
        EXPECT_FALSE(Decode(Reply(kDiscoveryReply, payload))) << c.what;
        // Fields before and after the bad one are kept, but no completion.
        EXPECT_STREQ(record_.exchange.code4Text, "after") << c.what;
        EXPECT_NE(record_.exchange.presenceFlags & QL5_HAS_CODE4_TEXT, 0u) << c.what;
        EXPECT_NE(record_.exchange.presenceFlags & QL5_HAS_HARDWARE_TYPE, 0u) << c.what;
        EXPECT_EQ(record_.exchange.presenceFlags & QL5_HAS_PRODUCT_NAME, 0u) << c.what;
    }
}

TEST_F(ReplyDecoder, IntegersKeepTheirLowBits)
{
    // A 2-byte 01 02 in code 6 stores 2; code 14 with 00 01 02 03 stores 515.
    ASSERT_TRUE(Decode(Reply(
        kDiscoveryReply,
        Concat({kMacField, {0x06, 0x02, 0x01, 0x02}, {0x0E, 0x04, 0x00, 0x01, 0x02, 0x03}}))));
    EXPECT_EQ(record_.exchange.hardwareType, 2);
    EXPECT_EQ(record_.exchange.serialLinkPort, 515);
}

TEST_F(ReplyDecoder, UnknownCodesAreSkippedByTheirLength)
{
    // Code 19 with length 3 is skipped; the field 5 bytes later is decoded.
    const Bytes payload = Concat({{0x13, 0x03, 0x01, 0x06, 0x00},
                                  kMacField,
                                  {0x00, 0x00},
                                  {0xE2, 0x01, 0xFF},
                                  {0xFF, 0x02, 1, 2}});
    ASSERT_TRUE(Decode(Reply(kDiscoveryReply, payload)));
    EXPECT_EQ(record_.exchange.presenceFlags, QL5_HAS_MAC_ADDRESS);
    EXPECT_EQ(record_.exchange.macAddress[5], 0x01);
}

TEST_F(ReplyDecoder, LaterOccurrenceOverwritesAndWordsAccumulate)
{
    const Bytes payload = Concat({kMacField,
                                  {0x02, 0x04, 1, 1, 1, 1},
                                  {0x02, 0x04, 2, 2, 2, 2},
                                  {0xE7, 0x07, 0x00, 0x15, 0x00, 0x15, 0x00, 0x16, 0x07},
                                  {0xE7, 0x02, 0x00, 0x17}});
    ASSERT_TRUE(Decode(Reply(kDiscoveryReply, payload)));
    const std::uint8_t second[4] = {2, 2, 2, 2};
    EXPECT_EQ(std::memcmp(&record_.exchange.ipAddress, second, 4), 0);
    ASSERT_EQ(record_.code231List.Count(), 3);
    EXPECT_EQ(record_.code231List.ValueAt(0), 21u);
    EXPECT_EQ(record_.code231List.ValueAt(1), 22u);
    EXPECT_EQ(record_.code231List.ValueAt(2), 23u);
}

TEST_F(ReplyDecoder, ByteBlocksKeepTheirCapacity)
{
    Bytes field224 = {0xE0, 40};
    for (int i = 0; i < 40; ++i)
        field224.push_back(static_cast<std::uint8_t>(i));
    Bytes field229 = {0xE5, 20};
    for (int i = 0; i < 20; ++i)
        field229.push_back(static_cast<std::uint8_t>(100 + i));
    ASSERT_TRUE(Decode(Reply(kDiscoveryReply, Concat({kMacField, field224, field229}))));
    EXPECT_EQ(record_.exchange.code224Length, 32);
    EXPECT_EQ(record_.exchange.code224Bytes[31], 31);
    EXPECT_EQ(record_.exchange.code229Length, 13);
    EXPECT_EQ(record_.exchange.code229Bytes[12], 112);
    // Nothing spills into the byte behind each block.
    const auto* raw = reinterpret_cast<const std::uint8_t*>(&record_.exchange);
    EXPECT_EQ(raw[1121], 0);
    EXPECT_EQ(raw[1142], 0);
}

TEST_F(ReplyDecoder, ExtensionCodeSetsBothWords)
{
    ASSERT_TRUE(Decode(Reply(kDiscoveryReply, Concat({kMacField, {0xE1, 0x01, 0x05}}))));
    EXPECT_EQ(record_.exchange.extPresenceFlags, QL5_HAS_CODE225_VALUE);
    EXPECT_EQ(record_.exchange.presenceFlags, QL5_HAS_MAC_ADDRESS | QL5_HAS_EXTENSION);
}

TEST_F(ReplyDecoder, EmptyTextAndEmptyPayload)
{
    ASSERT_TRUE(Decode(Reply(kDiscoveryReply, Concat({kMacField, TextField(8, "")}))));
    EXPECT_NE(record_.exchange.presenceFlags & QL5_HAS_FIRMWARE_REVISION, 0u);
    EXPECT_STREQ(record_.exchange.firmwareRevision, "");

    ASSERT_TRUE(Decode(Reply(kDiscoveryReply, {})));
    EXPECT_EQ(record_.exchange.presenceFlags, 0u);
    EXPECT_EQ(record_.exchange.extPresenceFlags, 0u);
    EXPECT_EQ(record_.resultPresenceFlags, 0u);
}

TEST_F(ReplyDecoder, ClaimedBytesBeyondTheDatagramReadAsZero)
{
    // The header claims 20 payload bytes but only the MAC field came; the
    // zeroed rest of the receive buffer reads as empty code-0 fields.
    Bytes datagram = Reply(kDiscoveryReply, kMacField);
    datagram[7] = 20;
    ASSERT_TRUE(Decode(datagram));
    EXPECT_EQ(record_.exchange.presenceFlags, QL5_HAS_MAC_ADDRESS);
}

TEST_F(ReplyDecoder, WalkNeverReadsPastTheBuffer)
{
    // Payload length claims the maximum: the walk runs into the end of the
    // 1,456-byte buffer and fails instead of reading past it.
    Bytes datagram = Reply(kDiscoveryReply, kMacField);
    datagram[6] = 0xFF;
    datagram[7] = 0xFF;
    EXPECT_FALSE(Decode(datagram));

    // A field whose value would run past a tight buffer fails the same way,
    // even by a single byte; one that ends exactly at the end decodes.
    struct Case {
        Bytes lastField;
        bool decodes;
    };
    const Case cases[] = {
        {{0x04, 0x10, 'a', 'b'}, false},  // claims 16 bytes, 2 are there
        {{0x04, 0x03, 'a', 'b'}, false},  // claims 3 bytes, 2 are there
        {{0x04, 0x02, 'a', 'b'}, true},   // ends with the buffer
    };
    for (const Case& c : cases) {
        // Exactly as long as the datagram, with nothing behind it to read.
        const Bytes tight = Reply(kDiscoveryReply, Concat({kMacField, c.lastField}));
        ResetDeviceRecord(context_, &record_);
        EXPECT_EQ(DecodeReply(context_, tight.data(), tight.size(), kDiscoveryReply, &record_),
                  c.decodes)
            << int{c.lastField[1]} << " value bytes claimed";
    }
    const Bytes header = Reply(kDiscoveryReply, kMacField);
    EXPECT_FALSE(DecodeReply(context_, header.data(), 7, kDiscoveryReply, &record_));
}

TEST_F(ReplyDecoder, Code231KeepsItsFirstThirtyTwoDistinctValues)
{
    // Two fields: 20 words, each twice, then 20 more distinct words. The
    // record keeps the first 32 distinct values in order; the rest are
    // skipped without failing the reply.
    Bytes first = {0xE7, 80};
    for (std::uint8_t i = 0; i < 20; ++i)
        first.insert(first.end(), {0x00, i, 0x00, i});
    Bytes second = {0xE7, 40};
    for (std::uint8_t i = 20; i < 40; ++i)
        second.insert(second.end(), {0x01, i});
    ASSERT_TRUE(Decode(Reply(kDiscoveryReply, Concat({kMacField, first, second}))));
    EXPECT_EQ(record_.resultPresenceFlags, kHasCode231List);
    ASSERT_EQ(record_.code231List.Count(), kMaxCode231Values);
    EXPECT_EQ(record_.code231List.ValueAt(19), 19u);
    EXPECT_EQ(record_.code231List.ValueAt(20), 0x0114u);
    EXPECT_EQ(record_.code231List.ValueAt(31), 0x011Fu);
    EXPECT_EQ(record_.code231List.ValueAt(32), 0u);  // out of range
    ResetDeviceRecord(context_, &record_);
    EXPECT_EQ(record_.code231List.Count(), 0);
}

TEST_F(ReplyDecoder, BytesClearedBehindADatagramDecodeAsAZeroedBuffer)
{
    // A receive buffer that held a longer datagram before: once the bytes
    // behind the new one are cleared, it decodes byte for byte as the same
    // datagram in a zeroed buffer.
    Bytes claimsMore = Reply(kDiscoveryReply, kMacField);
    claimsMore[7] = 40;  // 32 bytes more than came
    Bytes crossesEnd = Reply(kDiscoveryReply, Concat({kMacField, {0x04, 0x20, 'a', 'b'}}));
    Bytes lastFieldLong = crossesEnd;
    lastFieldLong[7] = 9;  // the text field starts at the last claimed byte
    lastFieldLong[17] = 0xFF;
    Bytes wholeBuffer = Reply(kDiscoveryReply, kMacField);
    wholeBuffer[6] = 0xFF;  // claims far more than the buffer holds
    const Bytes cases[] = {
        Reply(kDiscoveryReply, Concat({kMacField, TextField(4, "line 4")})),
        claimsMore,
        crossesEnd,
        lastFieldLong,
        wholeBuffer,
        {0x44, 0x49, 0x47, 0x49, 0x00},  // a header cut short
        {},
    };
    for (const Bytes& datagram : cases) {
        // std::copy, not memcpy: the empty datagram has no data pointer.
        std::array<std::uint8_t, kReceiveBufferSize> zeroed{};
        std::copy(datagram.begin(), datagram.end(), zeroed.begin());
        DeviceRecord expected{};
        ASSERT_TRUE(InitDeviceRecord(context_, &expected));
        const bool decodes =
            DecodeReply(context_, zeroed.data(), zeroed.size(), kDiscoveryReply, &expected);

        std::array<std::uint8_t, kReceiveBufferSize> reused;
        reused.fill(0x0A);  // code 10, length 10: a field wherever it is read
        std::copy(datagram.begin(), datagram.end(), reused.begin());
        ClearBeyondDatagram(reused.data(), datagram.size(), reused.size());
        ResetDeviceRecord(context_, &record_);
        EXPECT_EQ(DecodeReply(context_, reused.data(), reused.size(), kDiscoveryReply, &record_),
                  decodes)
            << datagram.size() << " bytes";
        EXPECT_EQ(std::memcmp(&record_, &expected, sizeof expected), 0)
            << datagram.size() << " bytes";
    }
}

TEST(ReplyDecoderCompletion, OnlyTheQl5MagicCompletesFromTheTable)
{
    struct Case {
        std::uint32_t magic;
        Bytes fields;
        const char* productName;
        std::uint8_t portCount;
        std::uint32_t completionBits;
    };
    const Case cases[] = {
        {QL5_PROTOCOL_MAGIC,
         {0x06, 0x01, 0x01},
         "QL5 Hub 8",
         8,
         QL5_HAS_PRODUCT_NAME | QL5_HAS_PORT_COUNT},
        {QL5_PROTOCOL_MAGIC,
         {0x06, 0x01, 0x0C},
         "QL5 Hub 2",
         2,
         QL5_HAS_PRODUCT_NAME | QL5_HAS_PORT_COUNT},
        {QL5_PROTOCOL_MAGIC,
         {0x06, 0x01, 0x00},
         "QL5 Hub 2 Multi-Interface",
         2,
         QL5_HAS_PRODUCT_NAME | QL5_HAS_PORT_COUNT},
        {QL5_PROTOCOL_MAGIC, {0x06, 0x01, 0x11}, "", 0, 0},
        {QL5_PROTOCOL_MAGIC, Concat({{0x06, 0x01, 0x01}, TextField(13, "QL5 Core Module")}),
         "QL5 Core Module", 0, QL5_HAS_PRODUCT_NAME},
        {QL5_PROTOCOL_MAGIC, TextField(13, "ql5 hub 8"), "ql5 hub 8", 0, QL5_HAS_PRODUCT_NAME},
        {QL5_PROTOCOL_MAGIC, TextField(13, "QL5 Hub 4 Multi-Interface"),
         "QL5 Hub 4 Multi-Interface", 4, QL5_HAS_PRODUCT_NAME | QL5_HAS_PORT_COUNT},
        {0x41424344, {0x06, 0x01, 0x01}, "", 0, 0},
    };
    for (const Case& c : cases) {
        DiscoveryHandle handle = OpenContext(c.magic);
        DiscoveryContext* context = ResolveContext(handle);
        DeviceRecord record;
        ASSERT_TRUE(InitDeviceRecord(context, &record));
        Bytes datagram = Reply(kDiscoveryReply, Concat({kMacField, c.fields}));
        datagram[0] = static_cast<std::uint8_t>(c.magic >> 24);
        datagram[1] = static_cast<std::uint8_t>(c.magic >> 16);
        datagram[2] = static_cast<std::uint8_t>(c.magic >> 8);
        datagram[3] = static_cast<std::uint8_t>(c.magic);
        std::array<std::uint8_t, kReceiveBufferSize> buffer{};
        std::memcpy(buffer.data(), datagram.data(), datagram.size());
        EXPECT_TRUE(DecodeReply(context, buffer.data(), buffer.size(), kDiscoveryReply, &record));
        EXPECT_STREQ(record.exchange.productName, c.productName) << c.productName;
        EXPECT_EQ(record.exchange.portCount, c.portCount) << c.productName;
        EXPECT_EQ(record.exchange.presenceFlags & (QL5_HAS_PRODUCT_NAME | QL5_HAS_PORT_COUNT),
                  c.completionBits)
            << c.productName;
        EXPECT_EQ(record.exchange.protocolMagic, c.magic);
        ReleaseDeviceRecord(&record);
        CloseContext(handle);
    }
}
