#include "interface_sockets.h"

#include "context.h"
#include "platform/local_addresses.h"

#include <new>
#include <vector>

namespace ql5 {

std::int32_t EnumerateLocalAddresses(LockedList* list)
{
    if (list == nullptr)
        return 0;
    list->Clear();
    std::vector<std::uint32_t> addresses;
    if (!platform::ListHostIpv4Addresses(addresses))
        return 0;
    for (std::uint32_t address : addresses)
        list->Add(address);  // refuses an address the list already holds
    return list->Count();
}

SocketHandle OpenInterfaceSocket(const DiscoveryContext* context, std::uint32_t localAddress)
{
    if (context == nullptr)
        return platform::kInvalidSocket;
    const SocketHandle socket = platform::OpenUdpSocket();
    if (socket == platform::kInvalidSocket)
        return socket;
    if (platform::BindSocket(socket, localAddress, 0) &&
        platform::SetMulticastInterface(socket, localAddress) &&
        platform::SetMulticastTtl(socket, context->multicastTtl) &&
        platform::SetNonBlocking(socket))
        return socket;
    platform::CloseSocket(socket);
    return platform::kInvalidSocket;
}

std::uint32_t OpenInterfaceSockets(const DiscoveryContext* context, SocketHandle** set)
{
    if (context == nullptr || set == nullptr)
        return 0;
    LockedList addresses;
    const std::int32_t count = EnumerateLocalAddresses(&addresses);
    if (count <= 0)
        return 0;
    auto* sockets = new (std::nothrow) SocketHandle[static_cast<std::size_t>(count)];
    if (sockets == nullptr)
        return 0;
    std::int32_t opened = 0;
    while (opened < count) {
        const auto address = static_cast<std::uint32_t>(addresses.ValueAt(opened));
        const SocketHandle socket = OpenInterfaceSocket(context, address);
        if (socket == platform::kInvalidSocket)
            break;
        sockets[opened++] = socket;
    }
    if (opened < count) {
        CloseInterfaceSockets(sockets, static_cast<std::uint32_t>(opened));
        return 0;
    }
    *set = sockets;
    return static_cast<std::uint32_t>(count);
}

int SendToGroup(const DiscoveryContext* context, const SocketHandle* sockets, std::uint32_t number,
                const std::uint8_t* bytes, std::uint32_t length)
{
    if (context == nullptr || sockets == nullptr || number == 0 || bytes == nullptr || length == 0)
        return -1;
    std::uint32_t whole = 0;
    for (std::uint32_t i = 0; i < number; ++i) {
        const long sent = platform::SendDatagram(sockets[i], bytes, length, context->groupAddress,
                                                 context->groupPort);
        if (sent == static_cast<long>(length))
            ++whole;
    }
    return whole == number ? 0 : -1;
}

void CloseInterfaceSockets(SocketHandle* sockets, std::uint32_t number)
{
    if (sockets == nullptr)
        return;
    for (std::uint32_t i = 0; i < number; ++i)
        platform::CloseSocket(sockets[i]);
    delete[] sockets;
}

}  // namespace ql5
