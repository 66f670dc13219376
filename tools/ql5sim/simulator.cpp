// SPDX-License-Identifier: Apache-2.0
#include "simulator.h"

#include <algorithm>
#include <chrono>
#include <limits>

#include "stop_requests.h"

namespace ql5sim {
namespace {

// Large enough for any UDP datagram, so that an oversized request is still
// logged whole.
constexpr std::size_t kReceiveBuffer = 65536;
// Copies of a flood sent per loop turn: small enough that requests and the
// stop signal are still noticed promptly.
constexpr std::size_t kFloodBatch = 64;

double UnixTime()
{
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration<double>(now).count();
}

}  // namespace

Simulator::Simulator(FleetState& state, std::vector<InterfaceSocket> sockets, DatagramLog& log)
    : state_(state),
      sockets_(std::move(sockets)),
      log_(log),
      outboxes_(sockets_.size()),
      receiveBuffer_(kReceiveBuffer)
{
}

void Simulator::Run()
{
    std::vector<SocketWait> waits(sockets_.size());
    while (!ql5tools::StopRequested()) {
        auto now = Clock::now();
        ReleaseDue(now);
        const bool blocked = Flush();
        const bool flooding = RunFloods(now);

        // Sleep until a request arrives, a blocked socket can take more, or the
        // next scheduled answer or flood is due.
        std::chrono::nanoseconds wait = std::chrono::seconds(1);
        if (!pending_.empty()) {
            wait = std::min<std::chrono::nanoseconds>(wait, pending_.top().due - now);
        }
        for (const auto& flood : floods_) {
            wait = std::min<std::chrono::nanoseconds>(wait, flood.start - now);
        }
        if (flooding) {
            wait = std::chrono::nanoseconds(0);
        }
        wait = std::max<std::chrono::nanoseconds>(wait, std::chrono::nanoseconds(0));
        for (std::size_t i = 0; i < sockets_.size(); ++i) {
            waits[i].writable = blocked && !outboxes_[i].empty();
        }
        WaitForSockets(sockets_, waits, wait);
        for (std::size_t i = 0; i < sockets_.size(); ++i) {
            if (waits[i].readable) {
                Receive(i);
            }
        }
    }
}

void Simulator::Receive(std::size_t socket)
{
    Endpoint from;
    while (const std::optional<std::size_t> n = sockets_[socket].Receive(receiveBuffer_, from)) {
        const auto now = Clock::now();
        const std::span<const std::uint8_t> datagram(receiveBuffer_.data(), *n);
        log_.Record(UnixTime(), sockets_[socket].Name(), from, datagram);
        const ParseResult parsed = ParseRequest(datagram);
        if (!parsed.request) {
            continue;  // a converter ignores what it cannot read
        }
        Schedule(socket, from, state_.Handle(*parsed.request, sockets_[socket].Name(), now), now);
    }
}

void Simulator::Schedule(std::size_t socket, const Endpoint& to, Answer answer,
                         Clock::time_point now)
{
    for (auto& out : answer.datagrams) {
        if (out.delay.count() <= 0 && pending_.empty()) {
            outboxes_[socket].push_back({to, std::move(out.bytes)});
        } else {
            pending_.push({now + out.delay, nextOrder_++, socket, to, std::move(out.bytes)});
        }
    }
    for (auto& flood : answer.floods) {
        ActiveFlood active;
        active.start = now + flood.delay;
        active.end =
            flood.duration.count() > 0 ? active.start + flood.duration : Clock::time_point::max();
        active.remaining =
            flood.count > 0 ? flood.count : std::numeric_limits<std::uint64_t>::max();
        active.socket = socket;
        active.to = to;
        active.bytes = std::move(flood.bytes);
        active.randomMacAt = flood.randomMacAt;
        floods_.push_back(std::move(active));
    }
}

void Simulator::ReleaseDue(Clock::time_point now)
{
    while (!pending_.empty() && pending_.top().due <= now) {
        // top() is const; the element is copied out once before it is popped.
        Pending next = pending_.top();
        pending_.pop();
        outboxes_[next.socket].push_back({next.to, std::move(next.bytes)});
    }
}

bool Simulator::Flush()
{
    bool blocked = false;
    std::vector<Datagram> batch;
    for (std::size_t i = 0; i < sockets_.size(); ++i) {
        auto& outbox = outboxes_[i];
        if (outbox.empty())
            continue;
        batch.clear();
        batch.reserve(outbox.size());
        for (const auto& out : outbox) {
            batch.push_back({out.to, &out.bytes});
        }
        const std::size_t sent = sockets_[i].Send(batch, InterfaceSocket::Segmentation::kAllowed);
        outbox.erase(outbox.begin(), outbox.begin() + static_cast<std::ptrdiff_t>(sent));
        blocked = blocked || !outbox.empty();
    }
    return blocked;
}

bool Simulator::RunFloods(Clock::time_point now)
{
    ExpireFloods(now);
    bool active = false;
    for (auto& flood : floods_) {
        if (flood.start > now)
            continue;
        const std::size_t count =
            static_cast<std::size_t>(std::min<std::uint64_t>(kFloodBatch, flood.remaining));
        std::vector<Datagram> batch(count, Datagram{flood.to, &flood.bytes});
        if (flood.randomMacAt)
            ForgeMacs(flood, batch);
        const std::size_t sent = sockets_[flood.socket].Send(batch);
        if (flood.remaining != std::numeric_limits<std::uint64_t>::max()) {
            flood.remaining -= sent;
        }
        active = true;
    }
    ExpireFloods(now);
    return active;
}

void Simulator::ForgeMacs(const ActiveFlood& flood, std::vector<Datagram>& batch)
{
    forged_.resize(batch.size());
    const std::size_t at = *flood.randomMacAt;
    for (std::size_t i = 0; i < batch.size(); ++i) {
        forged_[i] = flood.bytes;
        // The first three bytes stay the converter's own, so the forged MACs
        // remain locally administered ones.
        for (std::size_t byte = 3; byte < 6; ++byte)
            forged_[i][at + byte] = static_cast<std::uint8_t>(random_());
        batch[i].bytes = &forged_[i];
    }
}

void Simulator::ExpireFloods(Clock::time_point now)
{
    std::erase_if(floods_, [&](const ActiveFlood& f) { return f.remaining == 0 || now >= f.end; });
}

}  // namespace ql5sim
