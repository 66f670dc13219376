// `ql5ctl reboot --wait`: the common library's wait for a rebooting converter,
// with queries of the discovery client, so that ql5ctl and QL5Config's reboot
// window report the same outcome within the same bound.
#pragma once

#include <ql5common/address_text.h>
#include <ql5common/reboot_wait.h>

#include <ql5/discovery.h>

namespace ql5ctl {

// Blocks until the converter has gone quiet and answered again, or until the
// wait's queries are used up (ql5common::LongestRebootWait).
ql5common::RebootOutcome WaitUntilBack(DiscoveryHandle handle, const ql5common::MacAddress& mac);

}  // namespace ql5ctl
