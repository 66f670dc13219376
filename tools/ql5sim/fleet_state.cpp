// SPDX-License-Identifier: Apache-2.0
#include "fleet_state.h"

#include <algorithm>

#include "converter_replies.h"

namespace ql5sim {

FleetState::FleetState(Fleet fleet)
    : fleet_(std::move(fleet)),
      silentFrom_(fleet_.converters.size()),
      silentUntil_(fleet_.converters.size()),
      discoveryReplies_(fleet_.converters.size())
{
    for (std::size_t i = 0; i < fleet_.converters.size(); ++i) {
        byMac_.emplace(fleet_.converters[i].mac, i);
    }
}

const Converter* FleetState::Find(const MacAddress& mac) const
{
    const auto it = byMac_.find(mac);
    return it == byMac_.end() ? nullptr : &fleet_.converters[it->second];
}

Answer FleetState::Handle(const Request& request, std::string_view interface, Clock::time_point now)
{
    Answer answer;
    if (request.magic != fleet_.magic) {
        return answer;
    }
    ApplyPending(now);
    if (request.type == kDiscoveryRequest) {
        AnswerDiscovery(request, interface, now, answer);
    } else {
        AnswerCommand(request, interface, now, answer);
    }
    return answer;
}

bool FleetState::Listens(std::size_t index, std::string_view interface, Clock::time_point now) const
{
    const Converter& c = fleet_.converters[index];
    if (c.misbehave.drop || (now >= silentFrom_[index] && now < silentUntil_[index])) {
        return false;
    }
    return c.interfaces.empty() ||
           std::find(c.interfaces.begin(), c.interfaces.end(), interface) != c.interfaces.end();
}

void FleetState::Send(const Converter& c, std::chrono::milliseconds delay,
                      std::vector<std::uint8_t> bytes, Answer& answer) const
{
    delay += std::chrono::milliseconds(c.misbehave.delayMs);
    if (c.misbehave.answerTwice) {
        answer.datagrams.push_back({delay, bytes});
    }
    answer.datagrams.push_back({delay, std::move(bytes)});
}

const std::vector<std::uint8_t>& FleetState::DiscoveryReply(std::size_t index)
{
    std::vector<std::uint8_t>& reply = discoveryReplies_[index];
    if (reply.empty())
        reply = EncodeDiscoveryReply(fleet_.converters[index], fleet_.magic);
    return reply;
}

void FleetState::AnswerDiscovery(const Request& request, std::string_view interface,
                                 Clock::time_point now, Answer& answer)
{
    std::vector<std::size_t> answering;
    if (request.target == kBroadcastMac) {
        for (std::size_t i = 0; i < fleet_.converters.size(); ++i) {
            if (Listens(i, interface, now))
                answering.push_back(i);
        }
    } else if (const auto it = byMac_.find(request.target);
               it != byMac_.end() && Listens(it->second, interface, now)) {
        answering.push_back(it->second);
    }

    answer.datagrams.reserve(answering.size());
    // Spreading only makes sense for the answers to one broadcast; a single
    // addressed answer goes out at once.
    const auto spread = answering.size() > 1 ? fleet_.replySpreadMs : 0;
    for (std::size_t rank = 0; rank < answering.size(); ++rank) {
        const Converter& c = fleet_.converters[answering[rank]];
        const std::chrono::milliseconds offset(static_cast<long long>(spread) *
                                               static_cast<long long>(rank) /
                                               static_cast<long long>(answering.size()));
        auto bytes = DiscoveryReply(answering[rank]);
        if (c.misbehave.Floods()) {
            answer.floods.push_back({offset + std::chrono::milliseconds(c.misbehave.delayMs),
                                     std::chrono::milliseconds(c.misbehave.floodDurationMs),
                                     c.misbehave.floodCount, bytes,
                                     c.misbehave.floodRandomMacs
                                         ? FindFieldValue(bytes, field::kMacAddress)
                                         : std::nullopt});
        }
        Send(c, offset, std::move(bytes), answer);
    }
}

void FleetState::ApplyPending(Clock::time_point now)
{
    std::erase_if(pending_, [&](PendingSettings& p) {
        if (!p.appliesAt || now < *p.appliesAt)
            return false;
        Converter& c = fleet_.converters[p.index];
        c.ip = p.settings.ip;
        c.mask = p.settings.mask;
        c.gateway = p.settings.gateway;
        c.dhcp = p.settings.dhcp;
        discoveryReplies_[p.index].clear();
        return true;
    });
}

void FleetState::AnswerCommand(const Request& request, std::string_view interface,
                               Clock::time_point now, Answer& answer)
{
    const auto it = byMac_.find(request.target);
    if (it == byMac_.end() || !Listens(it->second, interface, now)) {
        return;
    }
    const std::size_t index = it->second;
    Converter& c = fleet_.converters[index];
    if (c.misbehave.silentForCommands) {
        return;
    }
    const bool accepted = request.password == c.password;
    if (accepted) {
        // A converter that applies settings only after a restart changes a
        // copy of itself now, and takes it over when it restarts.
        Converter* changed = &c;
        if (c.applyAfterReboot &&
            (request.type == kConfigureStaticRequest || request.type == kConfigureDhcpRequest)) {
            auto waiting = std::find_if(
                pending_.begin(), pending_.end(),
                [&](const PendingSettings& p) { return p.index == index && !p.appliesAt; });
            if (waiting == pending_.end()) {
                pending_.push_back({index, c, std::nullopt});
                waiting = std::prev(pending_.end());
            }
            changed = &waiting->settings;
        }
        switch (request.type) {
        case kConfigureStaticRequest:
            changed->ip = request.address;
            changed->mask = request.mask;
            changed->gateway = request.gateway;
            changed->dhcp = 0;
            break;
        case kConfigureDhcpRequest: changed->dhcp = request.dhcpFlag; break;
        case kRebootRequest:
            // The converter answers first, may go on answering for a moment,
            // and then goes quiet while it restarts.
            silentFrom_[index] = now + std::chrono::milliseconds(c.misbehave.delayMs) +
                                 std::chrono::milliseconds(c.rebootDelayMs);
            silentUntil_[index] = silentFrom_[index] + std::chrono::milliseconds(c.rebootSilenceMs);
            for (PendingSettings& p : pending_) {
                if (p.index == index && !p.appliesAt)
                    p.appliesAt = silentFrom_[index];
            }
            break;
        default: return;
        }
        discoveryReplies_[index].clear();
    }
    const auto replyType = static_cast<std::uint16_t>(request.type + 1);
    Send(c, std::chrono::milliseconds(0), EncodeCommandReply(c, fleet_.magic, replyType, accepted),
         answer);
}

}  // namespace ql5sim
