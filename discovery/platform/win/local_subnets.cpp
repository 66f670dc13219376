// SPDX-License-Identifier: Apache-2.0
// The host's IPv4 addresses with the length of their on-link prefix, from
// GetAdaptersAddresses.
#include "platform/local_subnets.h"

// winsock2.h must come before ws2tcpip.h, iphlpapi.h and windows.h.
// clang-format off
#include <winsock2.h>
#include <iphlpapi.h>
// clang-format on

#include <memory>
#include <new>

namespace ql5::platform {

namespace {

constexpr ULONG kFirstBufferSize = 15 * 1024;
constexpr int kAttempts = 4;

std::uint32_t MaskOfPrefix(unsigned length)
{
    const std::uint32_t host = length >= 32 ? 0xFFFFFFFFu : ~(0xFFFFFFFFu >> length);
    return htonl(host);
}

}  // namespace

Status ListHostIpv4Subnets(std::vector<LocalSubnet>& subnets) noexcept
{
    subnets.clear();
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
                subnets.push_back(
                    LocalSubnet{reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr,
                                MaskOfPrefix(unicast->OnLinkPrefixLength)});
            }
        }
    } catch (const std::bad_alloc&) {
        return Status::Failed(Failure::kOutOfMemory);
    }
    return {};
}

}  // namespace ql5::platform
