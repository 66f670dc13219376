// SPDX-License-Identifier: Apache-2.0
// The host's IPv4 addresses from GetAdaptersAddresses, in adapter order, each
// with the adapter's friendly name ("Ethernet 2"), as Windows shows it to the
// user: the host name need not resolve to all of them, so it is not asked.
#include "platform/local_addresses.h"

// winsock2.h must come before ws2tcpip.h, iphlpapi.h and windows.h.
// clang-format off
#include <winsock2.h>
#include <iphlpapi.h>
#include <netioapi.h>
#include <windows.h>
// clang-format on

#include <memory>
#include <new>

namespace ql5::platform {

namespace {

// The documentation's advice: start with 15 KB, which nearly always suffices,
// and retry with the size the call asks for while adapters come and go.
constexpr ULONG kFirstBufferSize = 15 * 1024;
constexpr int kAttempts = 4;

std::string Utf8(const wchar_t* text)
{
    if (text == nullptr)
        return {};
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string result(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), size, nullptr, nullptr);
    result.resize(static_cast<std::size_t>(size - 1));
    return result;
}

}  // namespace

Status ListInterfaceAddresses(std::vector<InterfaceAddress>& addresses) noexcept
{
    addresses.clear();
    constexpr ULONG kFlags =
        GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
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
            const std::string name = Utf8(adapter->FriendlyName);
            const bool up = adapter->OperStatus == IfOperStatusUp;
            const bool loopback = adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK;
            for (const IP_ADAPTER_UNICAST_ADDRESS* unicast = adapter->FirstUnicastAddress;
                 unicast != nullptr; unicast = unicast->Next) {
                const SOCKADDR* address = unicast->Address.lpSockaddr;
                if (address == nullptr || address->sa_family != AF_INET)
                    continue;
                ULONG mask = 0xFFFFFFFFU;
                ::ConvertLengthToIpv4Mask(unicast->OnLinkPrefixLength, &mask);
                addresses.push_back({name,
                                     reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr,
                                     static_cast<std::uint32_t>(mask), up, loopback});
            }
        }
    } catch (const std::bad_alloc&) {
        addresses.clear();
        return Status::Failed(Failure::kOutOfMemory);
    }
    return {};
}

}  // namespace ql5::platform
