// SPDX-License-Identifier: Apache-2.0
#include "udp_sockets.h"

// winsock2.h must come before windows.h.
// clang-format off
#include <winsock2.h>
#include <windows.h>
// clang-format on

#include <stdexcept>

namespace ql5tools {
namespace {

std::string SystemMessage(int error)
{
    char text[256] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   static_cast<DWORD>(error), 0, text, sizeof text, nullptr);
    std::string message = text;
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r'))
        message.pop_back();
    return message.empty() ? "error " + std::to_string(error) : message;
}

}  // namespace

void StartSockets()
{
    WSADATA data;
    if (const int result = WSAStartup(MAKEWORD(2, 2), &data); result != 0) {
        throw std::runtime_error("Windows Sockets cannot start: " + SystemMessage(result));
    }
}

// Windows sockets are not inherited unless asked for, so only the mode is set.
SocketHandle OpenUdpSocket(bool nonBlocking)
{
    const SOCKET socket = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (socket == INVALID_SOCKET)
        return kNoSocket;
    u_long mode = nonBlocking ? 1 : 0;
    if (nonBlocking && ioctlsocket(socket, FIONBIO, &mode) != 0) {
        const int error = WSAGetLastError();
        closesocket(socket);
        WSASetLastError(error);
        return kNoSocket;
    }
    return static_cast<SocketHandle>(socket);
}

void CloseSocket(SocketHandle socket)
{
    if (socket != kNoSocket)
        closesocket(static_cast<SOCKET>(socket));
}

std::string LastSocketError()
{
    return SystemMessage(WSAGetLastError());
}

// The route may be asked before anything else has started Windows Sockets,
// so the question starts them for itself; Windows counts WSAStartup calls,
// and the matching WSACleanup leaves any other start in place. Connecting a
// UDP socket only chooses its route and source address; no datagram leaves.
std::uint32_t LocalAddressToward(std::uint32_t host, std::uint16_t port)
{
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return 0;
    std::uint32_t result = 0;
    if (const SocketHandle probe = OpenUdpSocket(false); probe != kNoSocket) {
        const SOCKET socket = static_cast<SOCKET>(probe);
        sockaddr_in remote{};
        remote.sin_family = AF_INET;
        remote.sin_port = htons(port);
        remote.sin_addr.s_addr = host;
        sockaddr_in local{};
        int length = sizeof local;
        if (::connect(socket, reinterpret_cast<const sockaddr*>(&remote), sizeof remote) == 0 &&
            ::getsockname(socket, reinterpret_cast<sockaddr*>(&local), &length) == 0 &&
            local.sin_family == AF_INET)
            result = local.sin_addr.s_addr;
        CloseSocket(probe);
    }
    WSACleanup();
    return result;
}

}  // namespace ql5tools
