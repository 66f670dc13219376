// SPDX-License-Identifier: Apache-2.0
#include "devicerequests.h"

#include "recordtext.h"
#include "sweephosts.h"

#include <ql5common/context_owner.h>

#include <algorithm>

namespace ql5 {

namespace {

template <typename Request>
CommandOutcome runCommand(Request request)
{
    const ql5common::ContextOwner context;
    CommandOutcome outcome;
    outcome.result = request(context.Handle());
    outcome.statusCode = context.StatusCode();
    // The text may be the converter's own message, so it is made safe to
    // show here, once, for every window that shows it.
    outcome.statusText = shownConverterText(context.StatusText());
    return outcome;
}

}  // namespace

CommandTarget commandTarget(const DeviceRecordExchange& record)
{
    CommandTarget target;
    std::copy(std::begin(record.macAddress), std::end(record.macAddress), target.mac.begin());
    target.localAddress = record.localAddress;
    if (record.localAddress != 0 && record.ipAddress != 0 && isSavedHost(record.ipAddress))
        target.deviceAddress = record.ipAddress;
    return target;
}

CommandOutcome configureStatic(const CommandTarget& target, std::uint32_t address,
                               std::uint32_t mask, std::uint32_t gateway,
                               const QByteArray& password)
{
    return runCommand([&](DiscoveryHandle handle) {
        return ConfigureStaticAt(handle, target.localAddress, target.deviceAddress,
                                 target.mac.data(), address, mask, gateway, password.constData());
    });
}

CommandOutcome configureDhcp(const CommandTarget& target, const QByteArray& password)
{
    return runCommand([&](DiscoveryHandle handle) {
        return ConfigureDhcpAt(handle, target.localAddress, target.deviceAddress, target.mac.data(),
                               1, password.constData());
    });
}

CommandOutcome rebootDevice(const CommandTarget& target, const QByteArray& password)
{
    return runCommand([&](DiscoveryHandle handle) {
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
    return ql5common::WaitUntilBack(wait, context.Handle(), target.mac.data(), target.localAddress,
                                    target.deviceAddress);
}

}  // namespace ql5
