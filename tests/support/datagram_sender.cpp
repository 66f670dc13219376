// SPDX-License-Identifier: Apache-2.0
#include "support/datagram_sender.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <cstdint>

namespace ql5::lab {
namespace {

#ifdef _WIN32
using NativeSocket = SOCKET;
constexpr int kSocketType = SOCK_DGRAM;
// Each sender holds a reference of Winsock's own count.
bool StartSockets()
{
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
}
void EndSockets()
{
    WSACleanup();
}
constexpr std::intptr_t kNoSocket = static_cast<std::intptr_t>(INVALID_SOCKET);
void CloseSocket(std::intptr_t socket)
{
    closesocket(static_cast<NativeSocket>(socket));
}
#else
using NativeSocket = int;
// Not inherited by the simulators that a test starts.
constexpr int kSocketType = SOCK_DGRAM | SOCK_CLOEXEC;
bool StartSockets()
{
    return true;
}
void EndSockets()
{
}
constexpr std::intptr_t kNoSocket = -1;
void CloseSocket(std::intptr_t socket)
{
    close(static_cast<NativeSocket>(socket));
}
#endif

}  // namespace

DatagramSender::DatagramSender() : socket_(kNoSocket)
{
    if (StartSockets())
        socket_ = static_cast<std::intptr_t>(socket(AF_INET, kSocketType, 0));
}

DatagramSender::~DatagramSender()
{
    if (Ok())
        CloseSocket(socket_);
    EndSockets();
}

bool DatagramSender::Ok() const
{
    return socket_ != kNoSocket;
}

bool DatagramSender::SendTo(const std::string& endpoint, const std::vector<std::uint8_t>& bytes)
{
    const auto colon = endpoint.rfind(':');
    sockaddr_in target{};
    target.sin_family = AF_INET;
    if (!Ok() || colon == std::string::npos ||
        inet_pton(AF_INET, endpoint.substr(0, colon).c_str(), &target.sin_addr) != 1)
        return false;
    target.sin_port = htons(static_cast<std::uint16_t>(std::stoi(endpoint.substr(colon + 1))));
    const auto sent =
        sendto(static_cast<NativeSocket>(socket_), reinterpret_cast<const char*>(bytes.data()),
               static_cast<int>(bytes.size()), 0, reinterpret_cast<const sockaddr*>(&target),
               sizeof target);
    return sent >= 0 && static_cast<std::size_t>(sent) == bytes.size();
}

}  // namespace ql5::lab
