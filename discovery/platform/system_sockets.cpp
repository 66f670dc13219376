// SPDX-License-Identifier: Apache-2.0
// The requests' table of calls, on the platform's own sockets and interface
// walk. It holds no state, so one instance serves every thread.
#include "platform/request_sockets.h"
#include "platform/route_source.h"

namespace ql5::platform {

namespace {

class SystemRequestSockets final : public RequestSockets {
public:
    Status ListInterfaces(std::vector<InterfaceAddress>& addresses) const noexcept override
    {
        return ListInterfaceAddresses(addresses);
    }

    Status Open(std::uint32_t localAddress, std::int32_t multicastTtl,
                SocketHandle* socket) const noexcept override
    {
        *socket = kInvalidSocket;
        SocketHandle opened = kInvalidSocket;
        Status status = OpenUdpSocket(&opened);
        if (status)
            status = BindSocket(opened, localAddress, 0);
        if (status)
            status = SetMulticastInterface(opened, localAddress);
        if (status)
            status = SetMulticastTtl(opened, multicastTtl);
        if (status)
            status = SetNonBlocking(opened);
        if (!status) {
            CloseSocket(opened);
            return status;
        }
        *socket = opened;
        return {};
    }

    void Close(SocketHandle socket) const noexcept override { CloseSocket(socket); }

    Status OpenProbe(SocketHandle* socket) const noexcept override { return OpenUdpSocket(socket); }

    bool RouteSource(SocketHandle probe, std::uint32_t destination, std::uint16_t port,
                     std::uint32_t* localAddress) const noexcept override
    {
        return RouteSourceAddress(probe, destination, port, localAddress);
    }

    Status Send(SocketHandle socket, const std::uint8_t* bytes, std::size_t length,
                std::uint32_t address, std::uint16_t port) const noexcept override
    {
        return SendDatagram(socket, bytes, length, address, port);
    }

    bool Receive(SocketHandle socket, std::uint8_t* buffer, std::size_t capacity, std::size_t* size,
                 std::uint32_t* source) const noexcept override
    {
        return ReceiveDatagram(socket, buffer, capacity, size, source);
    }

    Status Watch(SocketWaiter& waiter, const SocketHandle* sockets,
                 std::size_t count) const noexcept override
    {
        return waiter.Watch(sockets, count);
    }

    Status Wait(SocketWaiter& waiter, std::chrono::microseconds timeout,
                std::size_t* ready) const noexcept override
    {
        return waiter.Wait(timeout, ready);
    }

    bool Readable(const SocketWaiter& waiter, std::size_t index) const noexcept override
    {
        return waiter.Readable(index);
    }
};

}  // namespace

const RequestSockets& SystemSockets() noexcept
{
    static const SystemRequestSockets kCalls;
    return kCalls;
}

}  // namespace ql5::platform
