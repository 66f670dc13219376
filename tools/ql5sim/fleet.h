// SPDX-License-Identifier: Apache-2.0
// The fleet of converters that one simulator plays, as read from the fleet
// file (format in README.md beside this file).
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "device_codec.h"

namespace ql5sim {

// Ways in which a converter departs from the protocol, so that tests can see
// how the client copes. All are off by default.
struct Misbehaviour {
    int delayMs = 0;                          // wait this long before every answer
    bool drop = false;                        // never answer anything
    bool answerTwice = false;                 // send every answer twice
    std::optional<std::uint32_t> replyMagic;  // answer with this magic instead
    std::optional<std::uint16_t> replyType;   // answer with this message type instead
    bool omitMac = false;                     // leave out field code 1
    bool macLast = false;                     // put field code 1 after all other fields
    std::optional<std::size_t> padTo;         // pad the datagram with unknown fields to this size
    bool emptyDatagram = false;               // answer with a datagram of zero bytes
    bool silentForCommands = false;           // answer discovery, never commands
    bool bareCommandReply = false;            // answer commands with the MAC field alone
    // After answering a discovery request, keep sending the same reply to the
    // same address as fast as possible, for this long or this many times
    // (whichever ends first; 0 means no limit of that kind).
    int floodDurationMs = 0;
    std::uint64_t floodCount = 0;
    // Every copy of the flood carries another MAC (the last three bytes
    // random), as forged replies from a hostile host would.
    bool floodRandomMacs = false;

    bool Floods() const { return floodDurationMs > 0 || floodCount > 0; }
};

// A converter's settings. Every optional field that is empty is left out of
// its discovery reply; the commands fill in what they change.
struct Converter {
    MacAddress mac{};
    std::optional<Ipv4Address> ip;
    std::optional<Ipv4Address> mask;
    std::optional<Ipv4Address> gateway;
    std::optional<Ipv4Address> dns;
    std::optional<std::uint8_t> dhcp;
    std::optional<std::string> name;              // code 4
    std::optional<std::string> code5;             // code 5
    std::optional<std::uint8_t> hardwareType;     // code 6
    std::optional<std::string> productName;       // code 13
    std::optional<std::string> firmware;          // code 8
    std::optional<std::uint16_t> serialLinkPort;  // code 14
    std::optional<std::uint8_t> portCount;        // code 18
    std::vector<ReplyField> extraFields;          // appended to every discovery reply

    std::string password;
    // Answer to a command with the right password. The message (code 9) is
    // sent only when set.
    std::optional<std::string> successMessage;
    // Answer to a command with a wrong password.
    std::uint8_t refusalResult = 1;
    std::uint8_t refusalError = 5;
    std::string refusalMessage = "Password incorrect";
    // After acknowledging a reboot, the converter goes on answering for
    // rebootDelayMs and then hears nothing for rebootSilenceMs.
    int rebootDelayMs = 0;
    int rebootSilenceMs = 0;
    // Accepted static or DHCP settings take effect only when the converter
    // restarts after a reboot; until then it goes on reporting the old ones,
    // as some converters do.
    bool applyAfterReboot = false;
    // Interfaces on which this converter answers; empty means all of them.
    std::vector<std::string> interfaces;

    Misbehaviour misbehave;
};

struct Fleet {
    std::uint32_t magic = kProtocolMagic;
    // 0: answer a discovery for every converter at once; N: spread the answers
    // evenly over N milliseconds.
    int replySpreadMs = 0;
    std::vector<Converter> converters;
};

class FleetError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads a fleet from JSON text. Unknown keys, bad values and duplicate MACs
// throw FleetError naming the offending place.
Fleet LoadFleet(std::string_view jsonText);

}  // namespace ql5sim
