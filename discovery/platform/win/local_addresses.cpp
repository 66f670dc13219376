// SPDX-License-Identifier: Apache-2.0
// The host's IPv4 addresses from GetAdaptersAddresses, in adapter order: the
// host name need not resolve to all of them, so it is not asked.
#include "platform/local_addresses.h"

// winsock2.h must come before ws2tcpip.h, iphlpapi.h and windows.h.
// clang-format off
#include <winsock2.h>
#include <iphlpapi.h>
// clang-format on

#include <algorithm>
#include <memory>
#include <new>

namespace ql5::platform {

namespace {

// The documentation's advice: start with 15 KB, which nearly always suffices,
// and retry with the size the call asks for while adapters come and go.
constexpr ULONG kFirstBufferSize = 15 * 1024;
constexpr int kAttempts = 4;

}  // namespace

Status ListHostIpv4Addresses(std::vector<std::uint32_t>& addresses) noexcept
{
    addresses.clear();
    constexpr ULONG kFlags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST |
                             GAA_FLAG_SKIP_DNS_SERVER | GAA_FLAG_SKIP_FRIENDLY_NAME;
    ULONG size = kFirstBufferSize;
    std::unique_ptr<unsigned char[]> buffer;
    ULONG result = ERROR_BUFFER_OVERFLOW;
    for (int attempt = 0; attempt < kAttempts && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.reset(new (std::nothrow) unsigned char[size]);
        if (!buffer)
            return Status::Failed(Failure::kOutOfMemory);
        result = ::GetAdaptersAddresses(
            AF_INET, kFlags, nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.get()), &size);
    }
    // No adapter at all is an empty list, not a failure.
    if (result == ERROR_NO_DATA)
        return {};
    if (result != NO_ERROR)
        return Status::Failed(Failure::kListAddresses, SystemError{static_cast<int>(result)});

    try {
        for (auto* adapter = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.get());
             adapter != nullptr; adapter = adapter->Next) {
            if (adapter->OperStatus != IfOperStatusUp ||
                adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK)
                continue;
            for (const IP_ADAPTER_UNICAST_ADDRESS* unicast = adapter->FirstUnicastAddress;
                 unicast != nullptr; unicast = unicast->Next) {
                const SOCKADDR* address = unicast->Address.lpSockaddr;
                if (address == nullptr || address->sa_family != AF_INET)
                    continue;
                const std::uint32_t value =
                    reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr;
                if (std::find(addresses.begin(), addresses.end(), value) == addresses.end())
                    addresses.push_back(value);
            }
        }
    } catch (const std::bad_alloc&) {
        return Status::Failed(Failure::kOutOfMemory);
    }
    return {};
}

}  // namespace ql5::platform
