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
        sources_[key(target)] = located;
    }
    Located find(const CommandTarget& target) const
    {
        const std::lock_guard lock(mutex_);
        const auto at = sources_.find(key(target));
        return at == sources_.end() ? Located{} : at->second;
    }

private:
    using Key = std::pair<std::array<std::uint8_t, 6>, std::uint32_t>;
    static Key key(const CommandTarget& target) { return {target.mac, target.localAddress}; }
    mutable std::mutex mutex_;
    std::map<Key, Located> sources_;
};

LocatedSources& locatedSources()
{
    static LocatedSources sources;
    return sources;
}

template <typename Request>
CommandOutcome runCommand(const CommandTarget& target, Request request)
{
    const ql5common::ContextOwner context;
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
    return outcome;
}

}  // namespace

CommandTarget commandTarget(const DeviceRecordExchange& record, std::uint32_t sourceAddress)
{
    CommandTarget target;
    std::copy(std::begin(record.macAddress), std::end(record.macAddress), target.mac.begin());
    target.localAddress = record.localAddress;
    const std::uint32_t reached = sourceAddress != 0 ? sourceAddress : record.ipAddress;
    if (record.localAddress != 0 && reached != 0 && isSavedHost(reached))
        target.deviceAddress = reached;
    return target;
}

CommandOutcome configureStatic(const CommandTarget& target, std::uint32_t address,
                               std::uint32_t mask, std::uint32_t gateway,
                               const QByteArray& password)
{
    return runCommand(target, [&](DiscoveryHandle handle) {
        return ConfigureStaticAt(handle, target.localAddress, target.deviceAddress,
                                 target.mac.data(), address, mask, gateway, password.constData());
    });
}

CommandOutcome configureDhcp(const CommandTarget& target, const QByteArray& password)
{
    return runCommand(target, [&](DiscoveryHandle handle) {
        return ConfigureDhcpAt(handle, target.localAddress, target.deviceAddress, target.mac.data(),
                               1, password.constData());
    });
}

CommandOutcome rebootDevice(const CommandTarget& target, const QByteArray& password)
{
    return runCommand(target, [&](DiscoveryHandle handle) {
        return RebootDeviceAt(handle, target.localAddress, target.deviceAddress, target.mac.data(),
                              password.constData());
    });
}

ChangeCheck verifyChange(const CommandTarget& target, const ql5common::ExpectedSettings& expected,
                         const std::atomic<bool>* cancelled)
{
    const ql5common::ContextOwner context;
    DeviceRecordExchange last{};
    ChangeCheck check;
    check.outcome = ql5common::VerifyChange(context.Handle(), target.localAddress,
                                            target.deviceAddress, target.mac.data(), expected,
                                            ql5common::kVerifyLimit, &last, cancelled);
    if (check.outcome != ql5common::VerifyOutcome::kNoAnswer)
        check.lastHeard = last;
    return check;
}

ql5common::RebootOutcome waitUntilBack(const CommandTarget& target, ql5common::RebootWait& wait)
{
    const ql5common::ContextOwner context;
    if (const Located located = locatedSources().find(target); located.sourceAddress != 0)
        SetDeviceSource(context.Handle(), target.mac.data(), located.localAddress,
                        located.sourceAddress);
    return ql5common::WaitUntilBack(wait, context.Handle(), target.mac.data(), target.localAddress,
                                    target.deviceAddress);
}

}  // namespace ql5
