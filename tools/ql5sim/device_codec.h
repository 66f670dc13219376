// SPDX-License-Identifier: Apache-2.0
// The device side of the discovery protocol, as a converter sees it: requests
// of types 1, 3, 5 and 7 come in and are parsed, replies of types 2, 4, 6 and 8
// go out as lists of {code, length, value} fields. This code is the
// simulator's own and shares nothing with the discovery client, so that tests
// can check each side against an independent implementation of the other.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ql5sim {

using MacAddress = std::array<std::uint8_t, 6>;
// Four bytes in network order, first octet first, exactly as on the wire.
using Ipv4Address = std::array<std::uint8_t, 4>;

inline constexpr std::uint32_t kProtocolMagic = 0x44494749;
inline constexpr MacAddress kBroadcastMac{0xff, 0xff, 0xff, 0xff, 0xff, 0xff};
inline constexpr std::size_t kHeaderSize = 8;
// The client reads replies into a buffer of this size and drops longer ones.
inline constexpr std::size_t kMaxReplySize = 1456;
inline constexpr std::uint16_t kDiscoveryPort = 2362;
inline constexpr char kDiscoveryGroup[] = "224.0.5.128";

enum MessageType : std::uint16_t {
    kDiscoveryRequest = 1,
    kDiscoveryReply = 2,
    kConfigureStaticRequest = 3,
    kConfigureStaticReply = 4,
    kRebootRequest = 5,
    kRebootReply = 6,
    kConfigureDhcpRequest = 7,
    kConfigureDhcpReply = 8,
};

// Field codes of replies.
namespace field {
inline constexpr std::uint8_t kMacAddress = 1;
inline constexpr std::uint8_t kIpAddress = 2;
inline constexpr std::uint8_t kSubnetMask = 3;
inline constexpr std::uint8_t kName = 4;
inline constexpr std::uint8_t kCode5Text = 5;
inline constexpr std::uint8_t kHardwareType = 6;
inline constexpr std::uint8_t kFirmwareRevision = 8;
inline constexpr std::uint8_t kResultMessage = 9;
inline constexpr std::uint8_t kResultFlag = 10;
inline constexpr std::uint8_t kGatewayAddress = 11;
inline constexpr std::uint8_t kProductName = 13;
inline constexpr std::uint8_t kSerialLinkPort = 14;
inline constexpr std::uint8_t kDnsAddress = 15;
inline constexpr std::uint8_t kDhcpMode = 16;
inline constexpr std::uint8_t kErrorCode = 17;
inline constexpr std::uint8_t kPortCount = 18;
}  // namespace field

// One request as the converter understood it. Fields that the request type
// does not carry stay zero.
struct Request {
    std::uint32_t magic = 0;
    std::uint16_t type = 0;
    MacAddress target{};
    Ipv4Address address{};      // type 3
    Ipv4Address mask{};         // type 3
    Ipv4Address gateway{};      // type 3
    std::uint8_t dhcpFlag = 0;  // type 7
    std::string password;       // types 3, 5, 7

    bool operator==(const Request&) const = default;
};

enum class ParseError {
    kNone,
    kTooShort,        // fewer bytes than the header
    kUnknownType,     // not 1, 3, 5 or 7
    kLengthMismatch,  // payload length and datagram size disagree
    kPasswordLength,  // password length byte and the bytes that follow disagree
};

struct ParseResult {
    std::optional<Request> request;
    ParseError error = ParseError::kNone;
};

// Parses a request datagram. The converter insists on the exact layout: a
// payload length equal to the bytes that follow the header, the fixed part of
// the type, and a password length byte that accounts for every remaining byte.
ParseResult ParseRequest(std::span<const std::uint8_t> datagram);
const char* DescribeParseError(ParseError error);

struct ReplyField {
    std::uint8_t code = 0;
    std::vector<std::uint8_t> value;

    bool operator==(const ReplyField&) const = default;
};

// Collects the fields of one reply in the order they are added.
class ReplyBuilder {
public:
    ReplyBuilder& Mac(std::uint8_t code, const MacAddress& mac);
    ReplyBuilder& Ipv4(std::uint8_t code, const Ipv4Address& address);
    // Texts longer than 255 bytes cannot be framed; they throw
    // std::length_error, since a caller that passes one has a bug.
    ReplyBuilder& Text(std::uint8_t code, std::string_view text);
    // A big-endian unsigned integer of `width` bytes, 1 to 4. Widths other than
    // 1, 2 and 4 are allowed so that a misbehaving converter can send them.
    ReplyBuilder& Integer(std::uint8_t code, std::uint32_t value, std::size_t width);
    ReplyBuilder& Raw(std::uint8_t code, std::span<const std::uint8_t> value);
    ReplyBuilder& Field(ReplyField field);

    const std::vector<ReplyField>& Fields() const { return fields_; }
    std::vector<ReplyField>& MutableFields() { return fields_; }

    // Header (magic, type, payload length) followed by every field.
    std::vector<std::uint8_t> Encode(std::uint32_t magic, std::uint16_t type) const;

private:
    std::vector<ReplyField> fields_;
};

std::vector<std::uint8_t> EncodeReply(std::uint32_t magic, std::uint16_t type,
                                      std::span<const ReplyField> fields);

// A reply taken apart again; tests use it to read what the simulator sent.
// `complete` is false when the datagram is shorter than its payload length or
// a field runs past the payload; in the latter case `fields` is empty.
struct ParsedReply {
    std::uint32_t magic = 0;
    std::uint16_t type = 0;
    std::uint16_t payloadLength = 0;
    std::vector<ReplyField> fields;
    bool complete = false;
};
std::optional<ParsedReply> ParseReply(std::span<const std::uint8_t> datagram);

}  // namespace ql5sim
