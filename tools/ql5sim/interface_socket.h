// SPDX-License-Identifier: Apache-2.0
// The simulator's socket on one network interface: bound to the discovery
// port, tied to the interface, and a member of the discovery group there.
// Each system has its own file with these functions
// (interface_socket_posix.cpp, interface_socket_windows.cpp).
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "device_codec.h"
#include "udp_sockets.h"

namespace ql5sim {

// A UDP endpoint: where a datagram came from or goes to.
struct Endpoint {
    Ipv4Address address{};
    std::uint16_t port = 0;
};

struct Datagram {
    Endpoint to;
    const std::vector<std::uint8_t>* bytes = nullptr;
};

class InterfaceSocket {
public:
    using Handle = ql5tools::SocketHandle;

    // Opens the socket on the named interface; throws std::runtime_error with
    // the reason when the interface or any socket option is refused.
    static InterfaceSocket Open(const std::string& interfaceName);

    InterfaceSocket(InterfaceSocket&& other) noexcept;
    InterfaceSocket& operator=(InterfaceSocket&& other) noexcept;
    InterfaceSocket(const InterfaceSocket&) = delete;
    InterfaceSocket& operator=(const InterfaceSocket&) = delete;
    ~InterfaceSocket();

    Handle Native() const { return handle_; }
    const std::string& Name() const { return name_; }

    // Takes the next waiting datagram into `buffer` without blocking and
    // returns its length, or nothing once none is waiting.
    std::optional<std::size_t> Receive(std::span<std::uint8_t> buffer, Endpoint& from);

    // Whether runs of equal datagrams may go as one send that the system cuts
    // up (where it can): the answers to a request leave as fast as the system
    // takes them, while a flood keeps the pace of one datagram per send that
    // the flood tests and benchmarks were made with.
    enum class Segmentation { kNone, kAllowed };

    // Sends as many of the datagrams as the socket takes without blocking, in
    // order, and returns how many went out. Datagrams that the system refuses
    // outright (not for want of buffer space) count as sent: a converter does
    // not retry.
    std::size_t Send(std::span<const Datagram> datagrams,
                     Segmentation segmentation = Segmentation::kNone);

private:
    InterfaceSocket(Handle handle, std::string name) : handle_(handle), name_(std::move(name)) {}
    void Close();

    Handle handle_ = ql5tools::kNoSocket;
    std::string name_;
    // Whether the system still takes runs of equal datagrams as one send
    // that it cuts up itself (where it does so at all).
    bool segmentation_ = true;
};

// What the event loop waits for on one socket.
struct SocketWait {
    bool writable = false;  // in: wait for room to send, too
    bool readable = false;  // out: a datagram (or an error) waits
};

// Sleeps until a socket is ready as asked, `timeout` has passed or a stop has
// been requested (stop_requests.h); fills in `readable`. The stop cannot slip
// in between the caller's last look at StopRequested() and the sleep.
void WaitForSockets(std::span<const InterfaceSocket> sockets, std::span<SocketWait> waits,
                    std::chrono::nanoseconds timeout);

}  // namespace ql5sim
