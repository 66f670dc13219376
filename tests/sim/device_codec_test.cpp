// SPDX-License-Identifier: Apache-2.0
// The simulator's device-side codec against literal datagrams: requests as a
// client sends them, replies as a converter sends them.
#include "ql5sim/device_codec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

using namespace ql5sim;

namespace {

using Bytes = std::vector<std::uint8_t>;

Request Parse(const Bytes& datagram)
{
    const ParseResult result = ParseRequest(datagram);
    EXPECT_EQ(result.error, ParseError::kNone) << DescribeParseError(result.error);
    return result.request.value_or(Request{});
}

ParseError ParseFailure(const Bytes& datagram)
{
    const ParseResult result = ParseRequest(datagram);
    EXPECT_FALSE(result.request.has_value());
    return result.error;
}

}  // namespace

TEST(DeviceCodecRequest, ParsesBroadcastDiscovery)
{
    const Request request = Parse({
        0x44, 0x49, 0x47, 0x49,              // the protocol magic
        0x00, 0x01,                          // type 1
        0x00, 0x06,                          // payload length
        0xff, 0xff, 0xff, 0xff, 0xff, 0xff,  // target MAC
    });
    EXPECT_EQ(request.magic, kProtocolMagic);
    EXPECT_EQ(request.type, kDiscoveryRequest);
    EXPECT_EQ(request.target, kBroadcastMac);
    EXPECT_TRUE(request.password.empty());
}

TEST(DeviceCodecRequest, ParsesConfigureStaticInLayoutOrder)
{
    const Request request = Parse({
        0x44, 0x49, 0x47, 0x49,              // magic
        0x00, 0x03,                          // type 3
        0x00, 0x16,                          // payload length 19 + 3
        0xc6, 0x33, 0x64, 0x14,              // new IP 198.51.100.20
        0xff, 0xff, 0xff, 0x00,              // new mask 255.255.255.0
        0xc6, 0x33, 0x64, 0x01,              // new gateway 198.51.100.1
        0x02, 0x51, 0xc5, 0x01, 0x02, 0x03,  // target MAC
        0x03, 'p',  'w',  'd',               // password
    });
    EXPECT_EQ(request.type, kConfigureStaticRequest);
    EXPECT_EQ(request.address, (Ipv4Address{198, 51, 100, 20}));
    EXPECT_EQ(request.mask, (Ipv4Address{255, 255, 255, 0}));
    EXPECT_EQ(request.gateway, (Ipv4Address{198, 51, 100, 1}));
    EXPECT_EQ(request.target, (MacAddress{0x02, 0x51, 0xc5, 0x01, 0x02, 0x03}));
    EXPECT_EQ(request.password, "pwd");
}

TEST(DeviceCodecRequest, ParsesRebootWithEmptyPassword)
{
    const Request request = Parse({
        0x44, 0x49, 0x47, 0x49,              // magic
        0x00, 0x05,                          // type 5
        0x00, 0x07,                          // payload length 7 + 0
        0x02, 0x51, 0xc5, 0x01, 0x02, 0x03,  // target MAC
        0x00,                                // password length 0
    });
    EXPECT_EQ(request.type, kRebootRequest);
    EXPECT_EQ(request.target, (MacAddress{0x02, 0x51, 0xc5, 0x01, 0x02, 0x03}));
    EXPECT_EQ(request.password, "");
}

TEST(DeviceCodecRequest, ParsesConfigureDhcpFlagBeforeMac)
{
    const Request request = Parse({
        0x44, 0x49, 0x47, 0x49,              // magic
        0x00, 0x07,                          // type 7
        0x00, 0x0a,                          // payload length 8 + 2
        0x01,                                // DHCP flag
        0x02, 0x51, 0xc5, 0x01, 0x02, 0x03,  // target MAC
        0x02, 'o', 'k',                      // password
    });
    EXPECT_EQ(request.type, kConfigureDhcpRequest);
    EXPECT_EQ(request.dhcpFlag, 1);
    EXPECT_EQ(request.target, (MacAddress{0x02, 0x51, 0xc5, 0x01, 0x02, 0x03}));
    EXPECT_EQ(request.password, "ok");
}

TEST(DeviceCodecRequest, ParsesLongestPassword)
{
    // 255 password bytes: 282 bytes in all, payload length 274 (01 12).
    Bytes datagram{0x44, 0x49, 0x47, 0x49, 0x00, 0x03, 0x01, 0x12};
    datagram.resize(8 + 18, 0);
    datagram.push_back(255);
    datagram.resize(282, 'x');
    EXPECT_EQ(Parse(datagram).password, std::string(255, 'x'));
}

TEST(DeviceCodecRequest, RejectsMalformedRequests)
{
    EXPECT_EQ(ParseFailure({0x44, 0x49, 0x47, 0x49, 0x00, 0x01, 0x00}), ParseError::kTooShort);
    // Payload length 6 but only five MAC bytes arrived.
    EXPECT_EQ(ParseFailure({0x44, 0x49, 0x47, 0x49, 0x00, 0x01, 0x00, 0x06, 1, 2, 3, 4, 5}),
              ParseError::kLengthMismatch);
    // A discovery request with a seventh payload byte.
    EXPECT_EQ(ParseFailure({0x44, 0x49, 0x47, 0x49, 0x00, 0x01, 0x00, 0x07, 1, 2, 3, 4, 5, 6, 7}),
              ParseError::kLengthMismatch);
    // A reply type is not a request.
    EXPECT_EQ(ParseFailure({0x44, 0x49, 0x47, 0x49, 0x00, 0x02, 0x00, 0x00}),
              ParseError::kUnknownType);
    // Reboot whose password length byte claims 2 bytes but 1 follows.
    EXPECT_EQ(
        ParseFailure({0x44, 0x49, 0x47, 0x49, 0x00, 0x05, 0x00, 0x08, 1, 2, 3, 4, 5, 6, 2, 'a'}),
        ParseError::kPasswordLength);
    // Reboot too short for its MAC and length byte.
    EXPECT_EQ(ParseFailure({0x44, 0x49, 0x47, 0x49, 0x00, 0x05, 0x00, 0x06, 1, 2, 3, 4, 5, 6}),
              ParseError::kLengthMismatch);
}

TEST(DeviceCodecRequest, KeepsForeignMagicForTheCallerToJudge)
{
    const Request request =
        Parse({0x51, 0x4c, 0x35, 0x21, 0x00, 0x01, 0x00, 0x06, 1, 2, 3, 4, 5, 6});
    EXPECT_EQ(request.magic, 0x514c3521u);
}

TEST(DeviceCodecReply, EncodesFieldsInOrderAfterHeader)
{
    // A reply from 02:00:00:00:00:01 carrying the IP address 192.0.2.10.
    const Bytes expected{
        0x44, 0x49, 0x47, 0x49,                          // magic
        0x00, 0x02,                                      // type 2
        0x00, 0x0e,                                      // payload length 14
        0x01, 0x06, 0x02, 0x00, 0x00, 0x00, 0x00, 0x01,  // code 1, MAC
        0x02, 0x04, 0xc0, 0x00, 0x02, 0x0a,              // code 2, IP address
    };
    ReplyBuilder builder;
    builder.Mac(field::kMacAddress, {0x02, 0x00, 0x00, 0x00, 0x00, 0x01})
        .Ipv4(field::kIpAddress, {192, 0, 2, 10});
    EXPECT_EQ(builder.Encode(kProtocolMagic, kDiscoveryReply), expected);
}

TEST(DeviceCodecReply, EncodesIntegersBigEndianInTheirWidth)
{
    ReplyBuilder builder;
    builder.Integer(field::kHardwareType, 7, 1)
        .Integer(field::kSerialLinkPort, 4001, 2)
        .Integer(225, 0x01020304, 4)
        .Integer(field::kDhcpMode, 1, 3);  // a bad width, allowed on purpose
    const Bytes expected{
        0x44, 0x49, 0x47, 0x49, 0x00, 0x04, 0x00, 0x12,  // header, type 4, payload 18
        0x06, 0x01, 0x07,                                // code 6, one byte
        0x0e, 0x02, 0x0f, 0xa1,                          // code 14, 4001
        0xe1, 0x04, 0x01, 0x02, 0x03, 0x04,              // code 225, four bytes
        0x10, 0x03, 0x00, 0x00, 0x01,                    // code 16, three bytes
    };
    EXPECT_EQ(builder.Encode(kProtocolMagic, kConfigureStaticReply), expected);
    EXPECT_THROW(builder.Integer(1, 0, 5), std::invalid_argument);
}

TEST(DeviceCodecReply, TextTakesUpTo255Bytes)
{
    ReplyBuilder builder;
    builder.Text(field::kName, "").Text(field::kResultMessage, std::string(255, 'm'));
    const Bytes datagram = builder.Encode(kProtocolMagic, kRebootReply);
    ASSERT_EQ(datagram.size(), 8u + 2 + 2 + 255);
    EXPECT_EQ(datagram[6], 0x01);  // payload length 259
    EXPECT_EQ(datagram[7], 0x03);
    EXPECT_EQ(datagram[8], field::kName);
    EXPECT_EQ(datagram[9], 0);
    EXPECT_EQ(datagram[10], field::kResultMessage);
    EXPECT_EQ(datagram[11], 255);
    EXPECT_THROW(builder.Text(field::kName, std::string(256, 'x')), std::length_error);
}

TEST(DeviceCodecReply, EmptyFieldListGivesBareHeader)
{
    EXPECT_EQ(EncodeReply(kProtocolMagic, kRebootReply, {}),
              (Bytes{0x44, 0x49, 0x47, 0x49, 0x00, 0x06, 0x00, 0x00}));
}

TEST(DeviceCodecReply, ParseReplyRoundTripsEncodedFields)
{
    ReplyBuilder builder;
    builder.Mac(field::kMacAddress, {0x02, 0x51, 0xc5, 0, 0, 1})
        .Text(field::kName, "Line 1")
        .Raw(231, Bytes{0x00, 0x15, 0x00, 0x16, 0x07});
    const auto parsed = ParseReply(builder.Encode(0x01020304, 8));
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->magic, 0x01020304u);
    EXPECT_EQ(parsed->type, 8);
    EXPECT_EQ(parsed->payloadLength, 8 + 8 + 7);
    EXPECT_TRUE(parsed->complete);
    EXPECT_EQ(parsed->fields, builder.Fields());
}

TEST(DeviceCodecReply, ParseReplyFlagsTruncatedDatagrams)
{
    // The header claims 8 payload bytes; the one field brought claims 4 value
    // bytes but only 2 arrived.
    const auto parsed =
        ParseReply(Bytes{0x44, 0x49, 0x47, 0x49, 0x00, 0x02, 0x00, 0x08, 0x02, 0x04, 1, 2});
    ASSERT_TRUE(parsed.has_value());
    EXPECT_FALSE(parsed->complete);
    EXPECT_TRUE(parsed->fields.empty());
    EXPECT_FALSE(ParseReply(Bytes{0x44, 0x49}).has_value());
}
