// SPDX-License-Identifier: Apache-2.0
#include "platform/udp_socket.h"

// winsock2.h must come before ws2tcpip.h, iphlpapi.h and windows.h.
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
// clang-format on

#include <algorithm>
#include <new>
#include <type_traits>
#include <utility>

namespace ql5::platform {

static_assert(std::is_same_v<SocketHandle, SOCKET>, "SocketHandle must be SOCKET");
static_assert(kInvalidSocket == INVALID_SOCKET, "kInvalidSocket must be INVALID_SOCKET");
static_assert(std::is_same_v<decltype(NativeEvent::handle), HANDLE>, "events are HANDLEs");

namespace {

sockaddr_in MakeAddress(std::uint32_t address, std::uint16_t port)
{
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_port = htons(port);
    result.sin_addr.s_addr = address;  // already in network order
    return result;
}

// The failure of the Windows Sockets call that has just failed.
Status Failed(Failure failure, std::uint32_t address = 0)
{
    return Status::Failed(failure, SystemError{::WSAGetLastError()}, address);
}

// How many of the sockets are readable now, without waiting; each entry's
// `ready` is set. WSAPoll takes them in slices of a fixed size, so that a wait
// allocates nothing whatever the number of sockets. -1 when the poll failed.
int PollReadable(WaitEntry* entries, std::size_t count)
{
    constexpr std::size_t kSlice = 64;
    WSAPOLLFD slice[kSlice];
    int readable = 0;
    for (std::size_t start = 0; start < count; start += kSlice) {
        const std::size_t size = std::min(kSlice, count - start);
        for (std::size_t i = 0; i < size; ++i)
            slice[i] = WSAPOLLFD{entries[start + i].socket, POLLRDNORM, 0};
        if (::WSAPoll(slice, static_cast<ULONG>(size), 0) == SOCKET_ERROR)
            return -1;
        for (std::size_t i = 0; i < size; ++i) {
            // An error or hang-up counts as readable: the receive reports it.
            const bool ready = (slice[i].revents & (POLLRDNORM | POLLERR | POLLHUP)) != 0;
            entries[start + i].ready = ready;
            readable += ready ? 1 : 0;
        }
    }
    return readable;
}

}  // namespace

Status OpenUdpSocket(SocketHandle* socket) noexcept
{
    // Not inherited by child processes, like SOCK_CLOEXEC on Linux.
    *socket = ::WSASocketW(AF_INET, SOCK_DGRAM, IPPROTO_UDP, nullptr, 0,
                           WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
    if (*socket != INVALID_SOCKET)
        return {};
    *socket = kInvalidSocket;
    return Failed(Failure::kOpenSocket);
}

void CloseSocket(SocketHandle socket) noexcept
{
    if (socket != kInvalidSocket)
        ::closesocket(socket);
}

Status BindSocket(SocketHandle socket, std::uint32_t localAddress, std::uint16_t port) noexcept
{
    const sockaddr_in address = MakeAddress(localAddress, port);
    if (::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return {};
    return Failed(Failure::kBindSocket, localAddress);
}

Status SetMulticastInterface(SocketHandle socket, std::uint32_t localAddress) noexcept
{
    in_addr address{};
    address.s_addr = localAddress;
    // IP_MULTICAST_IF from ws2tcpip.h (9), the Windows Sockets 2 number.
    if (::setsockopt(socket, IPPROTO_IP, IP_MULTICAST_IF, reinterpret_cast<const char*>(&address),
                     sizeof address) == 0)
        return {};
    return Failed(Failure::kSetMulticastInterface, localAddress);
}

Status SetMulticastTtl(SocketHandle socket, std::int32_t ttl) noexcept
{
    const DWORD value = static_cast<DWORD>(ttl);
    if (::setsockopt(socket, IPPROTO_IP, IP_MULTICAST_TTL, reinterpret_cast<const char*>(&value),
                     sizeof value) == 0)
        return {};
    return Failed(Failure::kSetMulticastTtl);
}

Status SetNonBlocking(SocketHandle socket) noexcept
{
    u_long on = 1;
    if (::ioctlsocket(socket, FIONBIO, &on) == 0)
        return {};
    return Failed(Failure::kSetNonBlocking);
}

Status SendDatagram(SocketHandle socket, const std::uint8_t* bytes, std::size_t length,
                    std::uint32_t address, std::uint16_t port) noexcept
{
    if (length > 0x7FFFFFFF)
        return Status::Failed(Failure::kSend);
    const sockaddr_in destination = MakeAddress(address, port);
    const int sent =
        ::sendto(socket, reinterpret_cast<const char*>(bytes), static_cast<int>(length), 0,
                 reinterpret_cast<const sockaddr*>(&destination), sizeof destination);
    if (sent == SOCKET_ERROR)
        return Failed(Failure::kSend);
    // A datagram goes out whole or not at all; a short count has no error.
    if (static_cast<std::size_t>(sent) != length)
        return Status::Failed(Failure::kSend);
    return {};
}

bool ReceiveDatagram(SocketHandle socket, std::uint8_t* buffer, std::size_t capacity,
                     std::size_t* size, std::uint32_t* source) noexcept
{
    DatagramSlot slot{buffer, capacity};
    // A datagram cut to fit is no reply; it is dropped whole.
    if (ReceiveDatagrams(socket, &slot, 1) != 1 || slot.truncated)
        return false;
    *size = slot.size;
    if (source != nullptr)
        *source = slot.source;
    return true;
}

WaitEntry WaitEntry::ForSocket(SocketHandle socket) noexcept
{
    WaitEntry entry;
    entry.socket = socket;
    return entry;
}

WaitEntry WaitEntry::ForEvents(void* socketEvent, void* wake) noexcept
{
    WaitEntry entry;
    entry.socketEvent = socketEvent;
    entry.wake = wake;
    return entry;
}

WaitEntry::WaitEntry(WaitEntry&& other) noexcept
    : socket(std::exchange(other.socket, kInvalidSocket)),
      socketEvent(std::exchange(other.socketEvent, nullptr)),
      wake(std::exchange(other.wake, nullptr)),
      ready(other.ready)
{
}

WaitEntry& WaitEntry::operator=(WaitEntry&& other) noexcept
{
    if (this != &other) {
        Release();
        socket = std::exchange(other.socket, kInvalidSocket);
        socketEvent = std::exchange(other.socketEvent, nullptr);
        wake = std::exchange(other.wake, nullptr);
        ready = other.ready;
    }
    return *this;
}

WaitEntry::~WaitEntry()
{
    Release();
}

// A socket stops reporting to the wait's event (the socket outlives the wait
// in every caller), and the events entry closes that event.
void WaitEntry::Release() noexcept
{
    if (socket != kInvalidSocket)
        ::WSAEventSelect(socket, nullptr, 0);
    if (socketEvent != nullptr)
        ::CloseHandle(socketEvent);
    socket = kInvalidSocket;
    socketEvent = nullptr;
}

Status SocketWaiter::Watch(const SocketHandle* sockets, std::size_t count,
                           const AutoResetEvent* wake) noexcept
{
    entries_.clear();
    sockets_ = 0;
    // Manual-reset: the wait resets it itself before it looks at the sockets,
    // so a datagram that arrives in between still ends the wait.
    HANDLE socketEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (socketEvent == nullptr)
        return Status::Failed(Failure::kWait, SystemError{static_cast<int>(::GetLastError())});
    try {
        entries_.reserve(count + 1);
        for (std::size_t i = 0; i < count; ++i) {
            if (::WSAEventSelect(sockets[i], socketEvent, FD_READ | FD_CLOSE) != 0) {
                const Status failed = Failed(Failure::kWait);
                entries_.clear();
                ::CloseHandle(socketEvent);
                return failed;
            }
            entries_.push_back(WaitEntry::ForSocket(sockets[i]));
        }
        entries_.push_back(
            WaitEntry::ForEvents(socketEvent, wake != nullptr ? wake->Native().handle : nullptr));
    } catch (const std::bad_alloc&) {
        entries_.clear();
        ::CloseHandle(socketEvent);
        return Status::Failed(Failure::kOutOfMemory);
    }
    sockets_ = count;
    return {};
}

Status SocketWaiter::Wait(std::chrono::microseconds timeout, std::size_t* ready) noexcept
{
    *ready = 0;
    if (entries_.empty())
        return Status::Failed(Failure::kWait);
    WaitEntry& events = entries_[sockets_];
    events.ready = false;
    // Rounded up, so a wait is never shorter than asked.
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::ceil<std::chrono::milliseconds>(timeout);
    for (;;) {
        ::ResetEvent(events.socketEvent);
        const int readable = PollReadable(entries_.data(), sockets_);
        if (readable < 0)
            return Failed(Failure::kWait);
        *ready = static_cast<std::size_t>(readable);
        // The wake event is looked at, not consumed: a signal seen here is
        // given back at once, and Set on a signalled event changes nothing.
        if (events.wake != nullptr && ::WaitForSingleObject(events.wake, 0) == WAIT_OBJECT_0) {
            ::SetEvent(events.wake);
            events.ready = true;
        }
        if (*ready > 0 || events.ready)
            return {};
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return {};
        HANDLE handles[2] = {events.socketEvent, events.wake};
        const DWORD waited = ::WaitForMultipleObjects(events.wake != nullptr ? 2 : 1, handles,
                                                      FALSE, static_cast<DWORD>(left.count()));
        if (waited == WAIT_FAILED)
            return Status::Failed(Failure::kWait, SystemError{static_cast<int>(::GetLastError())});
        // The wait consumed the wake event's signal; give it back, and let the
        // next round report it together with the sockets.
        if (waited == WAIT_OBJECT_0 + 1)
            ::SetEvent(events.wake);
        // A signal of the socket event may be stale (a socket that was read
        // since); the next round polls the sockets and waits on if need be.
    }
}

bool SocketWaiter::Readable(std::size_t index) const noexcept
{
    return index < sockets_ && entries_[index].ready;
}

bool SocketWaiter::Woken() const noexcept
{
    return sockets_ < entries_.size() && entries_[sockets_].ready;
}

}  // namespace ql5::platform
