// SPDX-License-Identifier: Apache-2.0
#include "ql5common/change_verify.h"

#include "ql5common/details_text.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace ql5common {

namespace {

// A converter on the local network answers within milliseconds; a short
// window per query lets the follow-up ask again soon after a lost datagram.
constexpr std::chrono::milliseconds kReplyWindow{500};
// The pause after an answer with the old settings, short enough to see the
// change soon after it happens, in slices so that a cancel is seen at once.
constexpr std::chrono::milliseconds kPause{500};
constexpr std::chrono::milliseconds kPauseSlice{50};

bool Cancelled(const std::atomic<bool>* cancelled)
{
    return cancelled != nullptr && cancelled->load();
}

}  // namespace

bool ReportsSettings(const DeviceRecordExchange& record, const ExpectedSettings& expected)
{
    const std::optional<bool> dhcp = DhcpEnabled(record);
    if (expected.dhcp)
        return dhcp == true && record.ipAddress != 0;
    return dhcp != true && record.ipAddress == expected.ip && record.subnetMask == expected.mask &&
           record.gatewayAddress == expected.gateway;
}

VerifyOutcome VerifyChange(DiscoveryHandle handle, std::uint32_t localAddress,
                           std::uint32_t deviceAddress, const std::uint8_t mac[6],
                           const ExpectedSettings& expected, std::chrono::milliseconds limit,
                           DeviceRecordExchange* last, const std::atomic<bool>* cancelled)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + limit;
    // Whom each query goes to in turn; 0 is the discovery group.
    std::vector<std::uint32_t> targets;
    if (deviceAddress != 0 && !expected.dhcp && expected.ip != 0 && expected.ip != deviceAddress)
        targets.push_back(expected.ip);
    targets.push_back(deviceAddress);
    std::size_t next = 0;
    bool answered = false;
    DeviceRecordExchange record{};
    while (!Cancelled(cancelled)) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            break;
        // 0 would mean the client's full 7.5 s, so the last window is at
        // least a millisecond.
        const auto window = std::clamp(left, std::chrono::milliseconds(1), kReplyWindow);
        Clock::time_point pauseEnd = Clock::now() + window;
        const std::uint32_t target = targets[next];
        next = (next + 1) % targets.size();
        if (QueryDeviceAt(handle, localAddress, target, mac,
                          static_cast<std::uint32_t>(window.count()), &record) == 0) {
            answered = true;
            if (last != nullptr)
                *last = record;
            if (ReportsSettings(record, expected))
                return VerifyOutcome::kConfirmed;
            pauseEnd = Clock::now() + kPause;
        }
        // After an answer with the old settings, a pause; after a query that
        // failed at once (no usable local address, say), the rest of its
        // window, so that the follow-up never spins.
        pauseEnd = std::min(deadline, pauseEnd);
        while (Clock::now() < pauseEnd && !Cancelled(cancelled))
            std::this_thread::sleep_for(
                std::min<Clock::duration>(kPauseSlice, pauseEnd - Clock::now()));
    }
    return answered ? VerifyOutcome::kOldSettings : VerifyOutcome::kNoAnswer;
}

}  // namespace ql5common
