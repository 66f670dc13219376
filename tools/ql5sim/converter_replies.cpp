// SPDX-License-Identifier: Apache-2.0
#include "converter_replies.h"

#include <algorithm>

namespace ql5sim {
namespace {

constexpr std::uint8_t kPaddingCode = 200;

// Applies the misbehaviours that concern the shape of every reply.
std::vector<std::uint8_t> Finish(ReplyBuilder& builder, const Converter& converter,
                                 std::uint32_t magic, std::uint16_t type)
{
    const Misbehaviour& m = converter.misbehave;
    if (m.emptyDatagram) {
        return {};
    }
    auto& fields = builder.MutableFields();
    const auto isMac = [](const ReplyField& f) { return f.code == field::kMacAddress; };
    if (m.omitMac) {
        std::erase_if(fields, isMac);
    } else if (m.macLast) {
        std::stable_partition(fields.begin(), fields.end(),
                              [&](const ReplyField& f) { return !isMac(f); });
    }
    auto datagram = builder.Encode(m.replyMagic.value_or(magic), m.replyType.value_or(type));
    if (m.padTo) {
        PadReply(datagram, *m.padTo);
    }
    return datagram;
}

}  // namespace

std::vector<std::uint8_t> EncodeDiscoveryReply(const Converter& c, std::uint32_t magic)
{
    ReplyBuilder b;
    b.Mac(field::kMacAddress, c.mac);
    if (c.ip)
        b.Ipv4(field::kIpAddress, *c.ip);
    if (c.mask)
        b.Ipv4(field::kSubnetMask, *c.mask);
    if (c.gateway)
        b.Ipv4(field::kGatewayAddress, *c.gateway);
    if (c.dns)
        b.Ipv4(field::kDnsAddress, *c.dns);
    if (c.dhcp)
        b.Integer(field::kDhcpMode, *c.dhcp, 1);
    if (c.name)
        b.Text(field::kName, *c.name);
    if (c.code5)
        b.Text(field::kCode5Text, *c.code5);
    if (c.hardwareType)
        b.Integer(field::kHardwareType, *c.hardwareType, 1);
    if (c.productName)
        b.Text(field::kProductName, *c.productName);
    if (c.firmware)
        b.Text(field::kFirmwareRevision, *c.firmware);
    if (c.serialLinkPort)
        b.Integer(field::kSerialLinkPort, *c.serialLinkPort, 2);
    if (c.portCount)
        b.Integer(field::kPortCount, *c.portCount, 1);
    for (const auto& extra : c.extraFields) {
        b.Field(extra);
    }
    return Finish(b, c, magic, kDiscoveryReply);
}

std::vector<std::uint8_t> EncodeCommandReply(const Converter& c, std::uint32_t magic,
                                             std::uint16_t replyType, bool accepted)
{
    ReplyBuilder b;
    b.Mac(field::kMacAddress, c.mac);
    if (c.misbehave.bareCommandReply) {
        // Says nothing about the outcome, as any host that saw the command
        // could answer it.
    } else if (accepted) {
        b.Integer(field::kResultFlag, 0, 1);
        b.Integer(field::kErrorCode, 0, 1);
        if (c.successMessage)
            b.Text(field::kResultMessage, *c.successMessage);
    } else {
        b.Integer(field::kResultFlag, c.refusalResult, 1);
        b.Integer(field::kErrorCode, c.refusalError, 1);
        b.Text(field::kResultMessage, c.refusalMessage);
    }
    return Finish(b, c, magic, replyType);
}

std::optional<std::size_t> FindFieldValue(const std::vector<std::uint8_t>& datagram,
                                          std::uint8_t code)
{
    std::size_t at = kHeaderSize;
    while (at + 2 <= datagram.size()) {
        const std::size_t length = datagram[at + 1];
        if (at + 2 + length > datagram.size())
            break;
        if (datagram[at] == code)
            return at + 2;
        at += 2 + length;
    }
    return std::nullopt;
}

void PadReply(std::vector<std::uint8_t>& datagram, std::size_t size)
{
    if (datagram.size() < kHeaderSize || datagram.size() >= size) {
        return;
    }
    std::size_t remaining = size - datagram.size();
    while (remaining >= 2) {
        // A field is 2 to 257 bytes; never leave a single byte that no field fits.
        std::size_t take = std::min<std::size_t>(remaining, 257);
        if (remaining - take == 1) {
            take -= 2;
        }
        datagram.push_back(kPaddingCode);
        datagram.push_back(static_cast<std::uint8_t>(take - 2));
        datagram.insert(datagram.end(), take - 2, 0);
        remaining -= take;
    }
    if (remaining == 1) {
        // One stray byte: a receiver that walks the fields reads it as a code
        // whose length byte lies past the datagram.
        datagram.push_back(kPaddingCode);
    }
    const std::size_t payload = datagram.size() - kHeaderSize;
    datagram[6] = static_cast<std::uint8_t>(payload >> 8);
    datagram[7] = static_cast<std::uint8_t>(payload);
}

}  // namespace ql5sim
