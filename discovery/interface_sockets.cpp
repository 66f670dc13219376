#include "interface_sockets.h"

#include "context.h"
#include "platform/local_addresses.h"

#include <new>
#include <vector>

namespace ql5 {

Status EnumerateLocalAddresses(LockedList* list)
{
    if (list == nullptr)
        return Status::Failed(Failure::kListAddresses);
    list->Clear();
    std::vector<std::uint32_t> addresses;
    if (Status listed = platform::ListHostIpv4Addresses(addresses); !listed)
        return listed;
    for (std::uint32_t address : addresses) {
        // Add refuses an address the list already holds, and fails only when
        // memory runs out.
        if (list->Add(address) < 0 && !list->Contains(address))
            return Status::Failed(Failure::kOutOfMemory);
    }
    if (list->Count() == 0)
        return Status::Failed(Failure::kNoLocalAddress);
    return {};
}

Status OpenInterfaceSocket(const DiscoveryContext* context, std::uint32_t localAddress,
                           SocketHandle* socket)
{
    *socket = platform::kInvalidSocket;
    if (context == nullptr)
        return Status::Failed(Failure::kOpenSocket, {}, localAddress);
    SocketHandle opened = platform::kInvalidSocket;
    Status status = platform::OpenUdpSocket(&opened);
    if (status)
        status = platform::BindSocket(opened, localAddress, 0);
    if (status)
        status = platform::SetMulticastInterface(opened, localAddress);
    if (status)
        status = platform::SetMulticastTtl(opened, context->multicastTtl);
    if (status)
        status = platform::SetNonBlocking(opened);
    if (!status) {
        platform::CloseSocket(opened);
        return status.On(localAddress);
    }
    *socket = opened;
    return {};
}

Status OpenInterfaceSockets(const DiscoveryContext* context, SocketHandle** set,
                            std::uint32_t* count)
{
    if (context == nullptr || set == nullptr || count == nullptr)
        return Status::Failed(Failure::kOpenSocket);
    LockedList addresses;
    if (Status listed = EnumerateLocalAddresses(&addresses); !listed)
        return listed;
    const std::int32_t wanted = addresses.Count();
    auto* sockets = new (std::nothrow) SocketHandle[static_cast<std::size_t>(wanted)];
    if (sockets == nullptr)
        return Status::Failed(Failure::kOutOfMemory);
    std::int32_t opened = 0;
    while (opened < wanted) {
        const auto address = static_cast<std::uint32_t>(addresses.ValueAt(opened));
        if (Status status = OpenInterfaceSocket(context, address, &sockets[opened]); !status) {
            CloseInterfaceSockets(sockets, static_cast<std::uint32_t>(opened));
            return status;
        }
        ++opened;
    }
    *set = sockets;
    *count = static_cast<std::uint32_t>(wanted);
    return {};
}

Status SendToGroup(const DiscoveryContext* context, const SocketHandle* sockets,
                   std::uint32_t number, const std::uint8_t* bytes, std::uint32_t length)
{
    if (context == nullptr || sockets == nullptr || number == 0 || bytes == nullptr || length == 0)
        return Status::Failed(Failure::kSend);
    Status first;
    for (std::uint32_t i = 0; i < number; ++i) {
        const Status sent = platform::SendDatagram(sockets[i], bytes, length, context->groupAddress,
                                                   context->groupPort);
        if (!sent && first) {
            // Name the address the request failed to leave from.
            std::uint32_t local = 0;
            first = platform::GetLocalAddress(sockets[i], &local) ? sent.On(local) : sent;
        }
    }
    return first;
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
