// SPDX-License-Identifier: Apache-2.0
// How the fleet answers requests: which converters hear a request, what each
// of them sends back and when, and how commands change their settings. No
// sockets here, so that the behaviour can be tested on its own.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

#include "device_codec.h"
#include "fleet.h"

namespace ql5sim {

using Clock = std::chrono::steady_clock;

// One datagram to send back to the request's source, `delay` after the
// request arrived.
struct Outgoing {
    std::chrono::milliseconds delay{0};
    std::vector<std::uint8_t> bytes;
};

// A stream of copies of one datagram, sent as fast as possible once `delay`
// has passed, until `duration` is over or `count` copies are out (a zero
// limit does not apply).
struct Flood {
    std::chrono::milliseconds delay{0};
    std::chrono::milliseconds duration{0};
    std::uint64_t count = 0;
    std::vector<std::uint8_t> bytes;
    // Where the MAC's value starts in `bytes` when every copy is to carry a
    // MAC of its own; empty otherwise.
    std::optional<std::size_t> randomMacAt;
};

struct Answer {
    std::vector<Outgoing> datagrams;
    std::vector<Flood> floods;
};

class FleetState {
public:
    explicit FleetState(Fleet fleet);

    // Everything the fleet sends in answer to `request`, which arrived on
    // `interface` at `now`. Requests with a foreign magic go unanswered.
    Answer Handle(const Request& request, std::string_view interface, Clock::time_point now);

    // The converter with this MAC, or null.
    const Converter* Find(const MacAddress& mac) const;

private:
    // Whether converter `index` takes any notice of a request right now.
    bool Listens(std::size_t index, std::string_view interface, Clock::time_point now) const;
    void AnswerDiscovery(const Request& request, std::string_view interface, Clock::time_point now,
                         Answer& answer);
    // Converter `index`'s answer to a discovery request, encoded once and
    // kept until its settings change.
    const std::vector<std::uint8_t>& DiscoveryReply(std::size_t index);
    void AnswerCommand(const Request& request, std::string_view interface, Clock::time_point now,
                       Answer& answer);
    void Send(const Converter& converter, std::chrono::milliseconds delay,
              std::vector<std::uint8_t> bytes, Answer& answer) const;
    // Puts into effect the settings of converters whose restart has begun.
    void ApplyPending(Clock::time_point now);

    Fleet fleet_;
    std::map<MacAddress, std::size_t> byMac_;
    // A converter that accepted a reboot hears nothing from the first moment
    // until the second.
    std::vector<Clock::time_point> silentFrom_;
    std::vector<Clock::time_point> silentUntil_;
    // Settings that converters with applyAfterReboot accepted: the
    // converter as it will report itself after its next restart, and when
    // that restart begins (unset until a reboot is accepted).
    struct PendingSettings {
        std::size_t index;
        Converter settings;
        std::optional<Clock::time_point> appliesAt;
    };
    std::vector<PendingSettings> pending_;
    // Each converter's encoded discovery reply, empty until first needed:
    // a fleet of thousands then answers a broadcast without encoding every
    // reply again first, as real converters, each with its own processor,
    // answer at once.
    std::vector<std::vector<std::uint8_t>> discoveryReplies_;
};

}  // namespace ql5sim
