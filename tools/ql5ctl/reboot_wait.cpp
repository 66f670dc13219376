#include "reboot_wait.h"

namespace ql5ctl {

ql5common::RebootOutcome WaitUntilBack(DiscoveryHandle handle, const ql5common::MacAddress& mac)
{
    ql5common::RebootWait wait;
    // The queries only tell whether the converter answers; what they return
    // is thrown away.
    DeviceRecordExchange scratch{};
    return wait.Run(
        [&](std::chrono::milliseconds) { return QueryDevice(handle, mac.data(), &scratch) == 0; });
}

}  // namespace ql5ctl
