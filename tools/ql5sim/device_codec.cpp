// SPDX-License-Identifier: Apache-2.0
#include "device_codec.h"

#include <algorithm>
#include <stdexcept>

namespace ql5sim {
namespace {

// Fixed payload bytes of each request type, before the password bytes.
constexpr std::size_t kDiscoveryPayload = 6;
constexpr std::size_t kStaticFixedPayload = 19;
constexpr std::size_t kRebootFixedPayload = 7;
constexpr std::size_t kDhcpFixedPayload = 8;

std::uint16_t ReadU16(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    return static_cast<std::uint16_t>(bytes[offset] << 8 | bytes[offset + 1]);
}

std::uint32_t ReadU32(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    return static_cast<std::uint32_t>(bytes[offset]) << 24 |
           static_cast<std::uint32_t>(bytes[offset + 1]) << 16 |
           static_cast<std::uint32_t>(bytes[offset + 2]) << 8 |
           static_cast<std::uint32_t>(bytes[offset + 3]);
}

template <std::size_t N>
std::array<std::uint8_t, N> ReadArray(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    std::array<std::uint8_t, N> out{};
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), N, out.begin());
    return out;
}

void PutU16(std::vector<std::uint8_t>& out, std::uint16_t value)
{
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

// Reads the length-prefixed password that ends every command. The length byte
// must account for exactly the bytes that remain.
ParseError ReadPassword(std::span<const std::uint8_t> payload, std::size_t offset,
                        std::string& password)
{
    const std::size_t length = payload[offset];
    if (offset + 1 + length != payload.size()) {
        return ParseError::kPasswordLength;
    }
    password.assign(payload.begin() + static_cast<std::ptrdiff_t>(offset + 1), payload.end());
    return ParseError::kNone;
}

}  // namespace

ParseResult ParseRequest(std::span<const std::uint8_t> datagram)
{
    if (datagram.size() < kHeaderSize) {
        return {std::nullopt, ParseError::kTooShort};
    }
    Request request;
    request.magic = ReadU32(datagram, 0);
    request.type = ReadU16(datagram, 4);
    const std::size_t payloadLength = ReadU16(datagram, 6);
    if (payloadLength != datagram.size() - kHeaderSize) {
        return {std::nullopt, ParseError::kLengthMismatch};
    }
    const auto payload = datagram.subspan(kHeaderSize);

    ParseError error = ParseError::kNone;
    switch (request.type) {
    case kDiscoveryRequest:
        if (payload.size() != kDiscoveryPayload) {
            return {std::nullopt, ParseError::kLengthMismatch};
        }
        request.target = ReadArray<6>(payload, 0);
        break;
    case kConfigureStaticRequest:
        if (payload.size() < kStaticFixedPayload) {
            return {std::nullopt, ParseError::kLengthMismatch};
        }
        request.address = ReadArray<4>(payload, 0);
        request.mask = ReadArray<4>(payload, 4);
        request.gateway = ReadArray<4>(payload, 8);
        request.target = ReadArray<6>(payload, 12);
        error = ReadPassword(payload, 18, request.password);
        break;
    case kRebootRequest:
        if (payload.size() < kRebootFixedPayload) {
            return {std::nullopt, ParseError::kLengthMismatch};
        }
        request.target = ReadArray<6>(payload, 0);
        error = ReadPassword(payload, 6, request.password);
        break;
    case kConfigureDhcpRequest:
        if (payload.size() < kDhcpFixedPayload) {
            return {std::nullopt, ParseError::kLengthMismatch};
        }
        request.dhcpFlag = payload[0];
        request.target = ReadArray<6>(payload, 1);
        error = ReadPassword(payload, 7, request.password);
        break;
    default: return {std::nullopt, ParseError::kUnknownType};
    }
    if (error != ParseError::kNone) {
        return {std::nullopt, error};
    }
    return {std::move(request), ParseError::kNone};
}

const char* DescribeParseError(ParseError error)
{
    switch (error) {
    case ParseError::kNone: return "no error";
    case ParseError::kTooShort: return "shorter than a header";
    case ParseError::kUnknownType: return "not a request type";
    case ParseError::kLengthMismatch: return "payload length does not match the request layout";
    case ParseError::kPasswordLength: return "password length byte does not match the bytes sent";
    }
    return "unknown error";
}

ReplyBuilder& ReplyBuilder::Mac(std::uint8_t code, const MacAddress& mac)
{
    return Raw(code, mac);
}

ReplyBuilder& ReplyBuilder::Ipv4(std::uint8_t code, const Ipv4Address& address)
{
    return Raw(code, address);
}

ReplyBuilder& ReplyBuilder::Text(std::uint8_t code, std::string_view text)
{
    if (text.size() > 255) {
        throw std::length_error("a reply text holds at most 255 bytes");
    }
    ReplyField field{code, std::vector<std::uint8_t>(text.begin(), text.end())};
    return Field(std::move(field));
}

ReplyBuilder& ReplyBuilder::Integer(std::uint8_t code, std::uint32_t value, std::size_t width)
{
    if (width < 1 || width > 4) {
        throw std::invalid_argument("an integer field is 1 to 4 bytes wide");
    }
    ReplyField field{code, {}};
    for (std::size_t i = width; i-- > 0;) {
        field.value.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
    return Field(std::move(field));
}

ReplyBuilder& ReplyBuilder::Raw(std::uint8_t code, std::span<const std::uint8_t> value)
{
    if (value.size() > 255) {
        throw std::length_error("a reply field holds at most 255 bytes");
    }
    return Field(ReplyField{code, std::vector<std::uint8_t>(value.begin(), value.end())});
}

ReplyBuilder& ReplyBuilder::Field(ReplyField field)
{
    fields_.push_back(std::move(field));
    return *this;
}

std::vector<std::uint8_t> ReplyBuilder::Encode(std::uint32_t magic, std::uint16_t type) const
{
    return EncodeReply(magic, type, fields_);
}

std::vector<std::uint8_t> EncodeReply(std::uint32_t magic, std::uint16_t type,
                                      std::span<const ReplyField> fields)
{
    std::size_t payload = 0;
    for (const auto& field : fields) {
        payload += 2 + field.value.size();
    }
    if (payload > 0xffff) {
        throw std::length_error("a reply payload holds at most 65535 bytes");
    }
    std::vector<std::uint8_t> out;
    out.reserve(kHeaderSize + payload);
    PutU32(out, magic);
    PutU16(out, type);
    PutU16(out, static_cast<std::uint16_t>(payload));
    for (const auto& field : fields) {
        out.push_back(field.code);
        out.push_back(static_cast<std::uint8_t>(field.value.size()));
        out.insert(out.end(), field.value.begin(), field.value.end());
    }
    return out;
}

std::optional<ParsedReply> ParseReply(std::span<const std::uint8_t> datagram)
{
    if (datagram.size() < kHeaderSize) {
        return std::nullopt;
    }
    ParsedReply reply;
    reply.magic = ReadU32(datagram, 0);
    reply.type = ReadU16(datagram, 4);
    reply.payloadLength = ReadU16(datagram, 6);
    const auto payload = datagram.subspan(
        kHeaderSize, std::min<std::size_t>(reply.payloadLength, datagram.size() - kHeaderSize));
    std::size_t offset = 0;
    while (offset < payload.size()) {
        if (offset + 2 > payload.size() || offset + 2 + payload[offset + 1] > payload.size()) {
            reply.fields.clear();
            return reply;
        }
        const std::size_t length = payload[offset + 1];
        const auto value = payload.subspan(offset + 2, length);
        reply.fields.push_back(
            ReplyField{payload[offset], std::vector<std::uint8_t>(value.begin(), value.end())});
        offset += 2 + length;
    }
    reply.complete = payload.size() == reply.payloadLength;
    return reply;
}

}  // namespace ql5sim
