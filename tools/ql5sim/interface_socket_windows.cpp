// SPDX-License-Identifier: Apache-2.0
// The simulator's sockets on Windows. Windows has no way to tie a socket to
// an interface by name; a UDP socket bound to one of the interface's
// addresses receives the unicast sent to that address and the group's
// datagrams joined on that interface, and sends out of it, which is the same.
#include "interface_socket.h"

// winsock2.h must come before ws2tcpip.h, iphlpapi.h and windows.h.
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
#include <windows.h>
// clang-format on

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace ql5sim {
namespace {

// A burst of ten thousand replies must not stall on the send buffer.
constexpr int kSendBuffer = 8 * 1024 * 1024;
// The console's stop events cannot wake WSAPoll, so the loop looks at the
// stop flag at least this often.
constexpr auto kLongestSleep = std::chrono::milliseconds(50);

[[noreturn]] void Fail(const std::string& interfaceName, const std::string& what)
{
    throw std::runtime_error(interfaceName + ": " + what + ": " + ql5tools::LastSocketError());
}

SOCKET AsSocket(InterfaceSocket::Handle handle)
{
    return static_cast<SOCKET>(handle);
}

std::string Utf8(const wchar_t* text)
{
    if (text == nullptr)
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string result(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), size, nullptr, nullptr);
    result.resize(static_cast<std::size_t>(size - 1));
    return result;
}

// The first IPv4 address of the interface that the user knows by this name
// (its friendly name, "Ethernet 2", or the system's adapter name).
std::optional<in_addr> InterfaceAddress(const std::string& interfaceName)
{
    constexpr ULONG kFlags =
        GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    ULONG size = 15 * 1024;
    std::unique_ptr<unsigned char[]> buffer;
    ULONG result = ERROR_BUFFER_OVERFLOW;
    for (int attempt = 0; attempt < 4 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer = std::make_unique<unsigned char[]>(size);
        result = GetAdaptersAddresses(AF_INET, kFlags, nullptr,
                                      reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.get()), &size);
    }
    if (result != NO_ERROR)
        return std::nullopt;
    for (auto* adapter = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.get());
         adapter != nullptr; adapter = adapter->Next) {
        if (Utf8(adapter->FriendlyName) != interfaceName && adapter->AdapterName != interfaceName)
            continue;
        for (const IP_ADAPTER_UNICAST_ADDRESS* unicast = adapter->FirstUnicastAddress;
             unicast != nullptr; unicast = unicast->Next) {
            const SOCKADDR* address = unicast->Address.lpSockaddr;
            if (address != nullptr && address->sa_family == AF_INET)
                return reinterpret_cast<const sockaddr_in*>(address)->sin_addr;
        }
    }
    return std::nullopt;
}

sockaddr_in ToSockaddr(const Endpoint& endpoint)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(endpoint.port);
    std::memcpy(&address.sin_addr, endpoint.address.data(), endpoint.address.size());
    return address;
}

}  // namespace

InterfaceSocket InterfaceSocket::Open(const std::string& interfaceName)
{
    const std::optional<in_addr> interfaceAddress = InterfaceAddress(interfaceName);
    if (!interfaceAddress) {
        WSASetLastError(WSAEADDRNOTAVAIL);
        Fail(interfaceName, "no such interface with an IPv4 address");
    }
    const Handle handle = ql5tools::OpenUdpSocket(true);
    if (handle == ql5tools::kNoSocket) {
        Fail(interfaceName, "socket");
    }
    InterfaceSocket result(handle, interfaceName);
    const SOCKET socket = AsSocket(handle);
    const BOOL one = TRUE;
    // Several interfaces mean several sockets on the same port.
    if (setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&one),
                   sizeof one) != 0) {
        Fail(interfaceName, "SO_REUSEADDR");
    }
    setsockopt(socket, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&kSendBuffer),
               sizeof kSendBuffer);

    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(kDiscoveryPort);
    local.sin_addr = *interfaceAddress;
    if (bind(socket, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        Fail(interfaceName, "bind to port 2362");
    }

    ip_mreq membership{};
    inet_pton(AF_INET, kDiscoveryGroup, &membership.imr_multiaddr);
    membership.imr_interface = *interfaceAddress;
    if (setsockopt(socket, IPPROTO_IP, IP_ADD_MEMBERSHIP,
                   reinterpret_cast<const char*>(&membership), sizeof membership) != 0) {
        Fail(interfaceName, "join 224.0.5.128");
    }
    return result;
}

void InterfaceSocket::Close()
{
    ql5tools::CloseSocket(handle_);
    handle_ = ql5tools::kNoSocket;
}

std::optional<std::size_t> InterfaceSocket::Receive(std::span<std::uint8_t> buffer, Endpoint& from)
{
    for (;;) {
        sockaddr_in source{};
        int sourceLength = sizeof source;
        const int n = recvfrom(AsSocket(handle_), reinterpret_cast<char*>(buffer.data()),
                               static_cast<int>(buffer.size()), 0,
                               reinterpret_cast<sockaddr*>(&source), &sourceLength);
        if (n == SOCKET_ERROR) {
            // Windows reports an ICMP "port unreachable" for an earlier answer
            // as a failed receive; the datagrams after it are still there.
            if (WSAGetLastError() == WSAECONNRESET)
                continue;
            return std::nullopt;  // drained
        }
        std::memcpy(from.address.data(), &source.sin_addr, from.address.size());
        from.port = ntohs(source.sin_port);
        return static_cast<std::size_t>(n);
    }
}

std::size_t InterfaceSocket::Send(std::span<const Datagram> datagrams, Segmentation)
{
    std::size_t sent = 0;
    for (const Datagram& datagram : datagrams) {
        const sockaddr_in to = ToSockaddr(datagram.to);
        const int result =
            sendto(AsSocket(handle_), reinterpret_cast<const char*>(datagram.bytes->data()),
                   static_cast<int>(datagram.bytes->size()), 0,
                   reinterpret_cast<const sockaddr*>(&to), sizeof to);
        if (result == SOCKET_ERROR) {
            const int error = WSAGetLastError();
            if (error == WSAEWOULDBLOCK || error == WSAENOBUFS)
                break;
            // Otherwise the datagram was refused for good (too large for the
            // interface, say): it is dropped and the next one goes.
        }
        ++sent;
    }
    return sent;
}

void WaitForSockets(std::span<const InterfaceSocket> sockets, std::span<SocketWait> waits,
                    std::chrono::nanoseconds timeout)
{
    std::vector<WSAPOLLFD> fds(sockets.size());
    for (std::size_t i = 0; i < sockets.size(); ++i) {
        fds[i].fd = AsSocket(sockets[i].Native());
        fds[i].events = static_cast<SHORT>(POLLRDNORM | (waits[i].writable ? POLLWRNORM : 0));
    }
    const auto sleep = std::min<std::chrono::nanoseconds>(timeout, kLongestSleep);
    // Rounded up, so that a wait for a due answer does not spin.
    const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(sleep).count();
    const int ready =
        WSAPoll(fds.data(), static_cast<ULONG>(fds.size()), static_cast<INT>(milliseconds));
    for (std::size_t i = 0; i < sockets.size(); ++i) {
        waits[i].readable = ready > 0 && (fds[i].revents & (POLLRDNORM | POLLERR)) != 0;
    }
}

}  // namespace ql5sim
