// SPDX-License-Identifier: Apache-2.0
#include "interface_sockets.h"

#include "context.h"

#include <new>
#include <utility>

namespace ql5 {

InterfaceSocketSet::InterfaceSocketSet(InterfaceSocketSet&& other) noexcept
    : calls_(other.calls_),
      sockets_(std::move(other.sockets_)),
      addresses_(std::move(other.addresses_))
{
    other.sockets_.clear();
    other.addresses_.clear();
}

InterfaceSocketSet& InterfaceSocketSet::operator=(InterfaceSocketSet&& other) noexcept
{
    if (this != &other) {
        Close();
        calls_ = other.calls_;
        sockets_ = std::move(other.sockets_);
        addresses_ = std::move(other.addresses_);
        other.sockets_.clear();
        other.addresses_.clear();
    }
    return *this;
}

Status InterfaceSocketSet::Adopt(SocketHandle socket, std::uint32_t localAddress) noexcept
{
    try {
        sockets_.reserve(sockets_.size() + 1);
        addresses_.reserve(addresses_.size() + 1);
    } catch (const std::bad_alloc&) {
        calls_->Close(socket);
        return Status::Failed(Failure::kOutOfMemory);
    }
    sockets_.push_back(socket);
    addresses_.push_back(localAddress);
    return {};
}

void InterfaceSocketSet::Close() noexcept
{
    for (SocketHandle socket : sockets_)
        calls_->Close(socket);
    sockets_.clear();
    addresses_.clear();
}

Status EnumerateLocalAddresses(const DiscoveryContext* context, LockedList* list)
{
    if (context == nullptr || list == nullptr)
        return Status::Failed(Failure::kListAddresses);
    list->Clear();
    std::vector<platform::InterfaceAddress> interfaces;
    if (Status listed = context->sockets->ListInterfaces(interfaces); !listed)
        return listed;
    for (const platform::InterfaceAddress& entry : interfaces) {
        // Add refuses an address the list already holds, and fails only when
        // memory runs out.
        if (platform::ServesDiscovery(entry) && list->Add(entry.address) < 0 &&
            !list->Contains(entry.address))
            return Status::Failed(Failure::kOutOfMemory);
    }
    if (list->Count() == 0)
        return Status::Failed(Failure::kNoLocalAddress);
    return {};
}

Status ListLocalSubnets(const DiscoveryContext* context, std::vector<LocalSubnet>& subnets)
{
    subnets.clear();
    std::vector<platform::InterfaceAddress> interfaces;
    if (Status listed = context->sockets->ListInterfaces(interfaces); !listed)
        return listed;
    try {
        for (const platform::InterfaceAddress& entry : interfaces) {
            if (platform::ServesDiscovery(entry))
                subnets.push_back(LocalSubnet{entry.address, entry.mask});
        }
    } catch (const std::bad_alloc&) {
        return Status::Failed(Failure::kOutOfMemory);
    }
    return {};
}

Status OpenInterfaceSocket(const DiscoveryContext* context, std::uint32_t localAddress,
                           SocketHandle* socket)
{
    *socket = platform::kInvalidSocket;
    if (context == nullptr)
        return Status::Failed(Failure::kOpenSocket, {}, localAddress);
    if (Status opened = context->sockets->Open(localAddress, context->multicastTtl, socket);
        !opened)
        return opened.On(localAddress);
    return {};
}

Status OpenInterfaceSockets(const DiscoveryContext* context, InterfaceSocketSet* set)
{
    if (context == nullptr || set == nullptr)
        return Status::Failed(Failure::kOpenSocket);
    LockedList addresses;
    if (Status listed = EnumerateLocalAddresses(context, &addresses); !listed)
        return listed;
    Status first;
    const std::int32_t count = addresses.Count();
    for (std::int32_t i = 0; i < count; ++i) {
        const auto address = static_cast<std::uint32_t>(addresses.ValueAt(i));
        SocketHandle socket = platform::kInvalidSocket;
        Status opened = OpenInterfaceSocket(context, address, &socket);
        if (opened)
            opened = set->Adopt(socket, address);
        // One address that fails (removed since the list was read, say) must
        // not hide the networks behind all the others.
        if (!opened && first)
            first = opened;
    }
    return set->Count() > 0 ? Status() : first;
}

Status OpenSocketsOn(const DiscoveryContext* context, std::uint32_t localAddress,
                     InterfaceSocketSet* set)
{
    if (localAddress == 0)
        return OpenInterfaceSockets(context, set);
    if (context == nullptr || set == nullptr)
        return Status::Failed(Failure::kOpenSocket);
    LockedList addresses;
    if (Status listed = EnumerateLocalAddresses(context, &addresses);
        !listed && listed.What() != Failure::kNoLocalAddress)
        return listed;
    if (!addresses.Contains(localAddress))
        return Status::Failed(Failure::kNotLocalAddress, {}, localAddress);
    SocketHandle socket = platform::kInvalidSocket;
    if (Status opened = OpenInterfaceSocket(context, localAddress, &socket); !opened)
        return opened;
    return set->Adopt(socket, localAddress);
}

Status SendToAddress(const DiscoveryContext* context, const InterfaceSocketSet& set,
                     const std::uint8_t* bytes, std::uint32_t length, std::uint32_t address)
{
    if (context == nullptr || set.Count() == 0 || bytes == nullptr || length == 0)
        return Status::Failed(Failure::kSend);
    const std::uint32_t destination = address != 0 ? address : context->groupAddress;
    Status first;
    for (std::uint32_t i = 0; i < set.Count(); ++i) {
        const Status sent =
            context->sockets->Send(set.Socket(i), bytes, length, destination, context->groupPort);
        // Name the address the request failed to leave from.
        if (!sent && first)
            first = sent.On(set.Address(i));
    }
    return first;
}

Status SendToGroup(const DiscoveryContext* context, const InterfaceSocketSet& set,
                   const std::uint8_t* bytes, std::uint32_t length)
{
    return SendToAddress(context, set, bytes, length, 0);
}

}  // namespace ql5
