// SPDX-License-Identifier: Apache-2.0
#include "sweep_listing.h"

#include <ql5common/context_owner.h>

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <utility>

namespace ql5ctl {

std::size_t LatestReplies::KeyHash::operator()(const Key& key) const noexcept
{
    return std::hash<std::uint64_t>()(key.mac ^ (std::uint64_t{key.localAddress} << 16));
}

LatestReplies::LatestReplies(InterfaceNamer interfaceName, std::size_t limit)
    : interfaceName_(std::move(interfaceName)), limit_(limit)
{
    views_.reserve(limit_);
}

void LatestReplies::Take(const DeviceRecordExchange& record)
{
    Key key{0, record.localAddress};
    for (std::uint8_t byte : record.macAddress)
        key.mac = (key.mac << 8) | byte;
    const auto found = index_.find(key);
    if (found == index_.end() && views_.size() >= limit_) {
        ++dropped_;
        return;
    }
    ConverterView view = MakeConverterView(record, interfaceName_(record.localAddress));
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

void Drain(DiscoveryHandle handle, const std::function<void(const DeviceRecordExchange&)>& take)
{
    constexpr std::uint32_t kBatch = 64;
    DeviceRecordExchange batch[kBatch];
    for (;;) {
        const std::int32_t read = ReadDevices(handle, batch, kBatch);
        for (std::int32_t i = 0; i < read; ++i)
            take(batch[i]);
        if (read < static_cast<std::int32_t>(kBatch))
            return;
    }
}

}  // namespace

std::variant<SweepListing, SweepFailure> SweepFor(
    std::chrono::milliseconds length, const LatestReplies::InterfaceNamer& interfaceName,
    const std::vector<std::uint32_t>& hosts)
{
    const ql5common::ContextOwner context;
    if (!context)
        return SweepFailure{};
    // The command line has checked the addresses and their number, so only
    // memory running out can refuse them.
    if (SetSweepHosts(context.Handle(), hosts.data(), static_cast<std::uint32_t>(hosts.size())) !=
        0)
        return SweepFailure{};
    RepliesWaiting notice;
    const Ql5WindowHandle window = Ql5CreateMessageWindow(&RepliesWaiting::OnMessage, &notice);
    if (window == nullptr)
        return SweepFailure{};
    if (StartDiscovery(context.Handle(), window, kRepliesWaiting, 0) != 0) {
        Ql5DestroyMessageWindow(window);
        return SweepFailure{context.StatusText()};
    }

    // Records are read as they arrive rather than all at the end, so the
    // queue of a large fleet never holds more than one notification's worth.
    LatestReplies replies(interfaceName);
    const auto take = [&replies](const DeviceRecordExchange& record) { replies.Take(record); };
    const auto deadline = std::chrono::steady_clock::now() + length;
    for (;;) {
        std::unique_lock lock(notice.mutex);
        const bool raised =
            notice.raised.wait_until(lock, deadline, [&] { return notice.pending; });
        notice.pending = false;
        lock.unlock();
        if (!raised)
            break;
        Drain(context.Handle(), take);
        // A busy network notifies every cycle; the sweep still ends on time.
        if (std::chrono::steady_clock::now() >= deadline)
            break;
    }

    StopDiscovery(context.Handle());
    // After the stop no post is running or will come, so the notice may go.
    Ql5DestroyMessageWindow(window);
    Drain(context.Handle(), take);
    const std::int64_t dropped = replies.Dropped() + GetDroppedCount(context.Handle());
    return SweepListing{replies.TakeViews(), dropped};
}

std::optional<SweepFailure> SweepRepeatedly(
    std::chrono::milliseconds round, const std::function<void(const DeviceRecordExchange&)>& take,
    const std::function<void()>& drained, const std::function<bool()>& stopped,
    const std::vector<std::uint32_t>& hosts)
{
    const ql5common::ContextOwner context;
    if (!context)
        return SweepFailure{};
    // Every round asks the --host addresses again, as it asks the group.
    if (SetSweepHosts(context.Handle(), hosts.data(), static_cast<std::uint32_t>(hosts.size())) !=
        0)
        return SweepFailure{};
    RepliesWaiting notice;
    const Ql5WindowHandle window = Ql5CreateMessageWindow(&RepliesWaiting::OnMessage, &notice);
    if (window == nullptr)
        return SweepFailure{};
    constexpr auto kStopCheck = std::chrono::milliseconds(200);
    std::optional<SweepFailure> failure;
    while (!failure && !stopped()) {
        if (StartDiscovery(context.Handle(), window, kRepliesWaiting, 0) != 0) {
            failure = SweepFailure{context.StatusText()};
            break;
        }
        const auto roundEnd = std::chrono::steady_clock::now() + round;
        while (!stopped() && std::chrono::steady_clock::now() < roundEnd) {
            std::unique_lock lock(notice.mutex);
            const auto until = std::min(roundEnd, std::chrono::steady_clock::now() + kStopCheck);
            const bool raised =
                notice.raised.wait_until(lock, until, [&] { return notice.pending; });
            notice.pending = false;
            lock.unlock();
            if (raised) {
                Drain(context.Handle(), take);
                drained();
            }
        }
        StopDiscovery(context.Handle());
        // What arrived before the stop is still shown.
        Drain(context.Handle(), take);
        drained();
    }
    Ql5DestroyMessageWindow(window);
    return failure;
}

}  // namespace ql5ctl
