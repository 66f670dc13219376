// SPDX-License-Identifier: Apache-2.0
// The public list of the host's IPv4 addresses with their interfaces, from
// the platform's one walk over the interfaces (the one the requests and the
// sweep take theirs from).
#include "platform/local_addresses.h"

#include <ql5/discovery.h>

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

// Copies the name, cut to fit before a character that would not: never in the
// middle of a UTF-8 sequence.
void CopyName(const std::string& name, char (&target)[QL5_INTERFACE_NAME_SIZE])
{
    std::size_t length = std::min<std::size_t>(name.size(), QL5_INTERFACE_NAME_SIZE - 1);
    if (length < name.size()) {
        while (length > 0 && (static_cast<unsigned char>(name[length]) & 0xC0U) == 0x80U)
            --length;
    }
    std::memcpy(target, name.data(), length);
    target[length] = '\0';
}

}  // namespace

extern "C" {

int32_t ListLocalAddresses(LocalInterfaceAddress* addresses, uint32_t number)
{
    if (number > 0 && addresses == nullptr)
        return -1;
    std::vector<ql5::platform::InterfaceAddress> interfaces;
    if (!ql5::platform::ListInterfaceAddresses(interfaces))
        return -1;
    const std::size_t copied = std::min<std::size_t>(interfaces.size(), number);
    for (std::size_t i = 0; i < copied; ++i) {
        const auto& entry = interfaces[i];
        LocalInterfaceAddress& out = addresses[i];
        out.address = entry.address;
        out.subnetMask = entry.mask;
        out.flags =
            (entry.up ? QL5_INTERFACE_UP : 0U) | (entry.loopback ? QL5_INTERFACE_LOOPBACK : 0U);
        CopyName(entry.name, out.interfaceName);
    }
    constexpr auto kMost = static_cast<std::size_t>(std::numeric_limits<int32_t>::max());
    return static_cast<int32_t>(std::min(interfaces.size(), kMost));
}

}  // extern "C"
