// SPDX-License-Identifier: Apache-2.0
#include "devicerequests.h"

#include "recordtext.h"
#include "sweephosts.h"

#include <ql5common/context_owner.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <utility>

namespace ql5 {

namespace {

// A converter as the commands' memories below know it: its MAC and the row's
// local address.
using TargetKey = std::pair<std::array<std::uint8_t, 6>, std::uint32_t>;

TargetKey keyOf(const CommandTarget& target)
{
    return {target.mac, target.localAddress};
}

// Where the last command to each converter (MAC and the row's local address)
// found it: the local address and source its reply came from. The wait for a
// reboot asks on a context of its own, which would otherwise locate the
// converter again with the client's 0.5 s window before each answer counts,
// long enough to miss a converter that is away for less than a second; told
// where it was found, it asks at once and counts only that source's answers.
struct Located {
    std::uint32_t localAddress = 0;
    std::uint32_t sourceAddress = 0;
};

class LocatedSources
{
public:
    void remember(const CommandTarget& target, Located located)
    {
        const std::lock_guard lock(mutex_);
        sources_[keyOf(target)] = located;
    }
    Located find(const CommandTarget& target) const
    {
        const std::lock_guard lock(mutex_);
        const auto at = sources_.find(keyOf(target));
        return at == sources_.end() ? Located{} : at->second;
    }

private:
    mutable std::mutex mutex_;
    std::map<TargetKey, Located> sources_;
};

LocatedSources& locatedSources()
{
    static LocatedSources sources;
    return sources;
}

// The context of each change a converter accepted, until the check that
// follows it takes it: there the client already counts the converter's
// answers from where the change put it (the new static address, or for DHCP
// any address of the local network it was located on) besides the source it
// was located at, as on ql5ctl's one context for a command and its --verify.
class PendingChecks
{
public:
    void keep(const CommandTarget& target, ql5common::ContextOwner context)
    {
        const std::lock_guard lock(mutex_);
        contexts_.insert_or_assign(keyOf(target), std::move(context));
    }
    std::optional<ql5common::ContextOwner> take(const CommandTarget& target)
    {
        const std::lock_guard lock(mutex_);
        const auto at = contexts_.find(keyOf(target));
        if (at == contexts_.end())
            return std::nullopt;
        std::optional<ql5common::ContextOwner> taken(std::move(at->second));
        contexts_.erase(at);
        return taken;
    }

private:
    std::mutex mutex_;
    std::map<TargetKey, ql5common::ContextOwner> contexts_;
};

PendingChecks& pendingChecks()
{
    static PendingChecks checks;
    return checks;
}

// A context of its own for a follow-up that holds the converter to the source
// its last command found it at, so that no other host that answers for the
// MAC counts, and no window is spent locating it again.
ql5common::ContextOwner heldToLocatedSource(const CommandTarget& target)
{
    ql5common::ContextOwner context;
    if (const Located located = locatedSources().find(target); located.sourceAddress != 0)
        SetDeviceSource(context.Handle(), target.mac.data(), located.localAddress,
                        located.sourceAddress);
    return context;
}

enum class FollowUp { kNone, kCheck };

template <typename Request>
CommandOutcome runCommand(const CommandTarget& target, FollowUp followUp, Request request)
{
    ql5common::ContextOwner context;
    CommandOutcome outcome;
    outcome.result = request(context.Handle());
    Located located;
    if (GetReplySource(context.Handle(), &located.localAddress, &located.sourceAddress) == 0 &&
        located.sourceAddress != 0)
        locatedSources().remember(target, located);
    outcome.statusCode = context.StatusCode();
    // The text may be the converter's own message, so it is made safe to
    // show here, once, for every window that shows it.
    outcome.statusText = shownConverterText(context.StatusText());
    if (followUp == FollowUp::kCheck && outcome.result == 0)
        pendingChecks().keep(target, std::move(context));
    return outcome;
}

}  // namespace

CommandTarget commandTarget(const DeviceRecordExchange& record, std::uint32_t sourceAddress)
{
    CommandTarget target;
    std::copy(std::begin(record.macAddress), std::end(record.macAddress), target.mac.begin());
    target.localAddress = record.localAddress;
    if (record.localAddress != 0 && sourceAddress != 0 && isSavedHost(sourceAddress))
        target.deviceAddress = sourceAddress;
    return target;
}

CommandOutcome configureStatic(const CommandTarget& target, std::uint32_t address,
                               std::uint32_t mask, std::uint32_t gateway,
                               const QByteArray& password)
{
    return runCommand(target, FollowUp::kCheck, [&](DiscoveryHandle handle) {
        return ConfigureStaticAt(handle, target.localAddress, target.deviceAddress,
                                 target.mac.data(), address, mask, gateway, password.constData());
    });
}

CommandOutcome configureDhcp(const CommandTarget& target, const QByteArray& password)
{
    return runCommand(target, FollowUp::kCheck, [&](DiscoveryHandle handle) {
        return ConfigureDhcpAt(handle, target.localAddress, target.deviceAddress, target.mac.data(),
                               1, password.constData());
    });
}

CommandOutcome rebootDevice(const CommandTarget& target, const QByteArray& password)
{
    return runCommand(target, FollowUp::kNone, [&](DiscoveryHandle handle) {
        return RebootDeviceAt(handle, target.localAddress, target.deviceAddress, target.mac.data(),
                              password.constData());
    });
}

ChangeCheck verifyChange(const CommandTarget& target, const ql5common::ExpectedSettings& expected,
                         const std::atomic<bool>* cancelled)
{
    std::optional<ql5common::ContextOwner> pending = pendingChecks().take(target);
    const ql5common::ContextOwner context =
        pending ? std::move(*pending) : heldToLocatedSource(target);
    DeviceRecordExchange last{};
    ChangeCheck check;
    check.outcome = ql5common::VerifyChange(context.Handle(), target.localAddress,
                                            target.deviceAddress, target.mac.data(), expected,
                                            ql5common::kVerifyLimit, &last, cancelled);
    if (check.outcome != ql5common::VerifyOutcome::kNoAnswer)
        check.lastHeard = last;
    // The answer that confirmed the change came from where the converter is
    // now: later commands go there.
    std::uint32_t localAddress = 0;
    if (check.outcome == ql5common::VerifyOutcome::kConfirmed)
        GetReplySource(context.Handle(), &localAddress, &check.lastSource);
    return check;
}

ql5common::RebootOutcome waitUntilBack(const CommandTarget& target, ql5common::RebootWait& wait)
{
    const ql5common::ContextOwner context = heldToLocatedSource(target);
    return ql5common::WaitUntilBack(wait, context.Handle(), target.mac.data(), target.localAddress,
                                    target.deviceAddress);
}

}  // namespace ql5
