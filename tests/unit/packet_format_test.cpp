// SPDX-License-Identifier: Apache-2.0
#include "byte_order.h"
#include "packet_format.h"

#include <ql5/discovery.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace ql5;

namespace {

using Bytes = std::vector<std::uint8_t>;

const std::uint8_t kMac[6] = {0x02, 0x51, 0xC5, 0x01, 0x02, 0x03};

Bytes Sent(const RequestBuffer& buffer, std::size_t length)
{
    return Bytes(buffer, buffer + length);
}

}  // namespace

TEST(PacketFormat, SweepRequestIsFourteenBytes)
{
    RequestBuffer buffer;
    const std::size_t length = EncodeDiscoveryRequest(buffer, QL5_PROTOCOL_MAGIC, BroadcastMac);
    EXPECT_EQ(Sent(buffer, length), (Bytes{
                                        0x44, 0x49, 0x47, 0x49,              // the protocol magic
                                        0x00, 0x01,                          // type 1
                                        0x00, 0x06,                          // payload length
                                        0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,  // broadcast MAC
                                    }));
}

TEST(PacketFormat, AddressedDiscoveryCarriesMagicAndMac)
{
    RequestBuffer buffer;
    const std::size_t length = EncodeDiscoveryRequest(buffer, 0x01020304, kMac);
    EXPECT_EQ(Sent(buffer, length), (Bytes{
                                        0x01, 0x02, 0x03, 0x04,              // another magic
                                        0x00, 0x01, 0x00, 0x06,              // type 1, payload 6
                                        0x02, 0x51, 0xC5, 0x01, 0x02, 0x03,  // target MAC
                                    }));
}

TEST(PacketFormat, ConfigureStaticLaysOutAddressMaskGatewayThenMac)
{
    RequestBuffer buffer;
    const std::size_t length = EncodeConfigureStaticRequest(
        buffer, QL5_PROTOCOL_MAGIC, kMac, Ipv4FromOctets(192, 168, 1, 10),
        Ipv4FromOctets(255, 255, 255, 0), Ipv4FromOctets(192, 168, 1, 1), "pw");
    EXPECT_EQ(Sent(buffer, length), (Bytes{
                                        0x44, 0x49, 0x47, 0x49,              // magic
                                        0x00, 0x03,                          // type 3
                                        0x00, 0x15,                          // payload 19 + 2
                                        0xC0, 0xA8, 0x01, 0x0A,              // address 192.168.1.10
                                        0xFF, 0xFF, 0xFF, 0x00,              // mask
                                        0xC0, 0xA8, 0x01, 0x01,              // gateway
                                        0x02, 0x51, 0xC5, 0x01, 0x02, 0x03,  // target MAC
                                        0x02, 'p',  'w',                     // password
                                    }));
}

TEST(PacketFormat, RebootPutsMacFirstAndEmptyPasswordAsLengthZero)
{
    RequestBuffer buffer;
    const std::size_t length = EncodeRebootRequest(buffer, QL5_PROTOCOL_MAGIC, kMac, "");
    EXPECT_EQ(Sent(buffer, length), (Bytes{
                                        0x44, 0x49, 0x47, 0x49,              // magic
                                        0x00, 0x05, 0x00, 0x07,              // type 5, payload 7
                                        0x02, 0x51, 0xC5, 0x01, 0x02, 0x03,  // target MAC
                                        0x00,                                // empty password
                                    }));
}

TEST(PacketFormat, DhcpSendsLowByteOfFlagBeforeMac)
{
    RequestBuffer buffer;
    const std::size_t length =
        EncodeConfigureDhcpRequest(buffer, QL5_PROTOCOL_MAGIC, kMac, 0x0101, "abc");
    EXPECT_EQ(Sent(buffer, length), (Bytes{
                                        0x44, 0x49, 0x47, 0x49,  // magic
                                        0x00, 0x07, 0x00, 0x0B,  // type 7, payload 8 + 3
                                        0x01,                    // low byte of 0x0101
                                        0x02, 0x51, 0xC5, 0x01, 0x02, 0x03,  // target MAC
                                        0x03, 'a',  'b',  'c',               // password
                                    }));
}

TEST(PacketFormat, LongestPasswordFillsTheLargestRequest)
{
    const std::string password(255, 'p');
    RequestBuffer buffer;
    const std::size_t length =
        EncodeConfigureStaticRequest(buffer, QL5_PROTOCOL_MAGIC, kMac, 0, 0, 0, password.c_str());
    ASSERT_EQ(length, 282u);
    EXPECT_EQ(buffer[6], 0x01);  // payload length 274
    EXPECT_EQ(buffer[7], 0x12);
    EXPECT_EQ(buffer[26], 0xFF);
    EXPECT_EQ(buffer[281], 'p');
}

TEST(PacketFormat, PasswordOver255BytesIsRefusedAndNothingWritten)
{
    const std::string password(256, 'p');
    RequestBuffer buffer;
    std::fill(std::begin(buffer), std::end(buffer), 0xEE);
    EXPECT_EQ(
        EncodeConfigureStaticRequest(buffer, QL5_PROTOCOL_MAGIC, kMac, 0, 0, 0, password.c_str()),
        0u);
    EXPECT_EQ(EncodeRebootRequest(buffer, QL5_PROTOCOL_MAGIC, kMac, password.c_str()), 0u);
    EXPECT_EQ(EncodeConfigureDhcpRequest(buffer, QL5_PROTOCOL_MAGIC, kMac, 1, password.c_str()),
              0u);
    EXPECT_EQ(EncodeRebootRequest(buffer, QL5_PROTOCOL_MAGIC, kMac, nullptr), 0u);
    for (std::uint8_t byte : buffer)
        ASSERT_EQ(byte, 0xEE);
    EXPECT_FALSE(PasswordFits(password.c_str()));
    EXPECT_TRUE(PasswordFits(std::string(255, 'p').c_str()));
}

TEST(PacketFormat, BroadcastMacIsRecognised)
{
    EXPECT_TRUE(IsBroadcastMac(BroadcastMac));
    EXPECT_FALSE(IsBroadcastMac(kMac));
    const std::uint8_t almost[6] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE};
    EXPECT_FALSE(IsBroadcastMac(almost));
}
