// SPDX-License-Identifier: Apache-2.0
#include "sweep_listing.h"

#include <ql5common/address_text.h>
#include <ql5common/context_owner.h>

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <utility>

namespace ql5ctl {

LatestReplies::LatestReplies(InterfaceNamer interfaceName, std::size_t limit)
    : interfaceName_(std::move(interfaceName)), limit_(limit)
{
    views_.reserve(limit_);
}

void LatestReplies::Take(const DeviceRecordExchange& record, std::uint32_t source)
{
    const auto key = ql5common::ConverterKey::Of(record, source);
    const auto found = index_.find(key);
    if (found == index_.end() && views_.size() >= limit_) {
        ++dropped_;
        return;
    }
    ConverterView view = MakeConverterView(record, interfaceName_(record.localAddress));
    if (source != 0)
        view.sourceAddress = ql5common::FormatDottedDecimal(source);
    if (found != index_.end()) {
        views_[found->second] = std::move(view);
        return;
    }
    index_.emplace(key, views_.size());
    views_.push_back(std::move(view));
}

std::vector<ConverterView> LatestReplies::TakeViews()
{
    index_.clear();
    return std::move(views_);
}

namespace {

// The message the sweep posts when records wait: the one QL5Config's main
// window uses.
constexpr std::uint32_t kRepliesWaiting = 0x8002;

// Where the sweep thread's notifications meet the thread that reads. The
// callback runs on the sweep thread and must not call into the client, so it
// only raises a flag.
struct RepliesWaiting {
    std::mutex mutex;
    std::condition_variable raised;
    bool pending = false;

    static void OnMessage(Ql5WindowHandle, std::uint32_t, std::uintptr_t, std::intptr_t, void* self)
    {
        auto* notice = static_cast<RepliesWaiting*>(self);
        {
            std::lock_guard lock(notice->mutex);
            notice->pending = true;
        }
        notice->raised.notify_one();
    }
};

// Hands each record with the address its reply came from.
using SourcedTake = std::function<void(const DeviceRecordExchange&, std::uint32_t)>;

// Reads until the queue is empty, or until `stopped` says so: under a flood
// the queue refills as fast as it is read, and a stop must not wait for it.
void Drain(
    DiscoveryHandle handle, const SourcedTake& take,
    const std::function<bool()>& stopped = [] { return false; })
{
    constexpr std::uint32_t kBatch = 64;
    DeviceRecordExchange batch[kBatch];
    std::uint32_t sources[kBatch];
    while (!stopped()) {
        const std::int32_t read = ReadDevicesFrom(handle, batch, sources, kBatch);
        for (std::int32_t i = 0; i < read; ++i)
            take(batch[i], sources[i]);
        if (read < static_cast<std::int32_t>(kBatch))
            return;
    }
}

// A context with the --host addresses set and the window its sweeps notify,
// for one sweep or many in a row.
class SweepSession {
public:
    SweepSession() = default;
    ~SweepSession() { Ql5DestroyMessageWindow(window_); }
    SweepSession(const SweepSession&) = delete;
    SweepSession& operator=(const SweepSession&) = delete;

    // Sets up the context and the window; the reason when that fails.
    std::optional<SweepFailure> Open(const std::vector<std::uint32_t>& hosts)
    {
        if (!context_)
            return SweepFailure{};
        // The command line has checked the addresses and their number, so
        // only memory running out can refuse them. Every sweep asks them.
        if (SetSweepHosts(context_.Handle(), hosts.data(),
                          static_cast<std::uint32_t>(hosts.size())) != 0)
            return SweepFailure{};
        window_ = Ql5CreateMessageWindow(&RepliesWaiting::OnMessage, &notice_);
        if (window_ == nullptr)
            return SweepFailure{};
        return std::nullopt;
    }

    // Runs one sweep for `length`, or until `stopped` returns true, which is
    // checked at least every 200 ms. Records are handed to `take` as they
    // arrive rather than all at the end, so the client's queue never holds
    // more than one notification's worth; `drained` is called after each
    // read. Returns the client's reason when the sweep cannot start.
    std::optional<SweepFailure> Sweep(std::chrono::milliseconds length, const SourcedTake& take,
                                      const std::function<void()>& drained,
                                      const std::function<bool()>& stopped)
    {
        if (StartDiscovery(context_.Handle(), window_, kRepliesWaiting, 0) != 0)
            return SweepFailure{context_.StatusText()};
        constexpr auto kStopCheck = std::chrono::milliseconds(200);
        const auto end = std::chrono::steady_clock::now() + length;
        // A busy network notifies every cycle; the sweep still ends on time.
        while (!stopped() && std::chrono::steady_clock::now() < end) {
            std::unique_lock lock(notice_.mutex);
            const auto until = std::min(end, std::chrono::steady_clock::now() + kStopCheck);
            const bool raised =
                notice_.raised.wait_until(lock, until, [this] { return notice_.pending; });
            notice_.pending = false;
            lock.unlock();
            if (raised) {
                Drain(context_.Handle(), take, stopped);
                drained();
            }
        }
        StopDiscovery(context_.Handle());
        // What arrived before the end is still shown; after a stop request
        // nothing more is read, so that the stop is prompt under any load.
        if (!stopped()) {
            Drain(context_.Handle(), take);
            drained();
        }
        return std::nullopt;
    }

    // Names the --host addresses of the sweeps from now on.
    [[nodiscard]] bool SetHosts(const std::vector<std::uint32_t>& hosts)
    {
        return SetSweepHosts(context_.Handle(), hosts.data(),
                             static_cast<std::uint32_t>(hosts.size())) == 0;
    }

    // Replies the client's queue had no room for in the last sweep.
    std::int64_t Dropped() const { return GetDroppedCount(context_.Handle()); }

private:
    const ql5common::ContextOwner context_;
    RepliesWaiting notice_;
    Ql5WindowHandle window_ = nullptr;
};

}  // namespace

std::variant<SweepListing, SweepFailure> SweepFor(
    std::chrono::milliseconds length, const LatestReplies::InterfaceNamer& interfaceName,
    const std::vector<std::uint32_t>& hosts)
{
    SweepSession session;
    if (auto failure = session.Open(hosts))
        return *failure;
    LatestReplies replies(interfaceName);
    const auto take = [&replies](const DeviceRecordExchange& record, std::uint32_t source) {
        replies.Take(record, source);
    };
    if (auto failure = session.Sweep(
            length, take, [] {}, [] { return false; }))
        return *failure;
    const std::int64_t dropped = replies.Dropped() + session.Dropped();
    return SweepListing{replies.TakeViews(), dropped};
}

std::size_t NextHostOffset(std::size_t offset, double seconds, std::size_t count)
{
    if (count == 0)
        return 0;
    // Less one burst: the round's end may fall in the middle of one.
    constexpr double kBurst = 64;
    const auto asked =
        static_cast<std::size_t>(std::max(0.0, seconds * QL5_SWEEP_HOSTS_PER_SECOND - kBurst));
    return (offset + std::min(asked, count)) % count;
}

std::optional<SweepFailure> SweepRepeatedly(
    std::chrono::milliseconds round,
    const std::function<void(const DeviceRecordExchange&, std::uint32_t)>& take,
    const std::function<void()>& drained, const std::function<bool()>& stopped,
    const std::vector<std::uint32_t>& hosts, const std::function<void()>& roundEnded)
{
    SweepSession session;
    if (auto failure = session.Open(hosts))
        return failure;
    // Each sweep asks the --host addresses from the start of its list, and a
    // round is often shorter than a large range takes: every round would ask
    // the same first addresses again. So each round's list begins where the
    // last one stopped, by a low estimate of how many it asked (the client
    // asks at most QL5_SWEEP_HOSTS_PER_SECOND a second, the first burst at
    // once), so that none is skipped; a few may be asked twice.
    std::size_t next = 0;
    std::vector<std::uint32_t> rotated;
    while (!stopped()) {
        if (!hosts.empty() && next != 0) {
            rotated.assign(hosts.begin() + static_cast<std::ptrdiff_t>(next), hosts.end());
            rotated.insert(rotated.end(), hosts.begin(),
                           hosts.begin() + static_cast<std::ptrdiff_t>(next));
            if (!session.SetHosts(rotated))
                return SweepFailure{};
        }
        const auto start = std::chrono::steady_clock::now();
        if (auto failure = session.Sweep(round, take, drained, stopped))
            return failure;
        next = NextHostOffset(
            next, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            hosts.size());
        if (roundEnded && !stopped())
            roundEnded();
    }
    return std::nullopt;
}

}  // namespace ql5ctl
