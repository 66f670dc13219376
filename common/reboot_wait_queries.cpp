// SPDX-License-Identifier: Apache-2.0
// The reboot wait's queries, in a file of their own: a program that only
// needs the wait's logic (its unit tests) does not pull in the client.
#include "ql5common/reboot_wait.h"

namespace ql5common {

RebootOutcome WaitUntilBack(RebootWait& wait, DiscoveryHandle handle,
                            const std::uint8_t macAddress[6], std::uint32_t localAddress,
                            std::uint32_t deviceAddress)
{
    // The queries only tell whether the converter answers.
    DeviceRecordExchange scratch{};
    return wait.Run([&](std::chrono::milliseconds replyWindow) {
        return QueryDeviceAt(handle, localAddress, deviceAddress, macAddress,
                             static_cast<std::uint32_t>(replyWindow.count()), &scratch) == 0;
    });
}

}  // namespace ql5common
