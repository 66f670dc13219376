// SPDX-License-Identifier: Apache-2.0
// The simulator's socket on one network interface: bound to the discovery
// port, tied to the interface, and a member of the discovery group there.
#pragma once

#include <netinet/in.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace ql5sim {

struct Datagram {
    sockaddr_in to{};
    const std::vector<std::uint8_t>* bytes = nullptr;
};

class InterfaceSocket {
public:
    // Opens the socket on the named interface; throws std::runtime_error with
    // the reason when the interface or any socket option is refused.
    static InterfaceSocket Open(const std::string& interfaceName);

    InterfaceSocket(InterfaceSocket&& other) noexcept;
    InterfaceSocket& operator=(InterfaceSocket&& other) noexcept;
    InterfaceSocket(const InterfaceSocket&) = delete;
    InterfaceSocket& operator=(const InterfaceSocket&) = delete;
    ~InterfaceSocket();

    int Descriptor() const { return fd_; }
    const std::string& Name() const { return name_; }

    // Sends as many of the datagrams as the socket takes without blocking, in
    // order, and returns how many went out. Datagrams that the kernel refuses
    // outright (not for want of buffer space) count as sent: a converter does
    // not retry.
    std::size_t Send(std::span<const Datagram> datagrams);

private:
    InterfaceSocket(int fd, std::string name) : fd_(fd), name_(std::move(name)) {}

    int fd_ = -1;
    std::string name_;
};

}  // namespace ql5sim
