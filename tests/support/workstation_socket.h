// SPDX-License-Identifier: Apache-2.0
// A plain UDP socket on one of the lab's workstation addresses, for tests and
// benchmarks that put hand-made datagrams on the wire instead of going through
// the client. Like the client's sockets it is bound to its address and sends
// to the group with IP_MULTICAST_IF set to that address. It is non-blocking;
// Receive waits with poll.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ql5::lab {

struct SocketDatagram {
    std::vector<std::uint8_t> bytes;
    std::string from;  // "a.b.c.d:port"
};

class WorkstationSocket {
public:
    // Binds to `address` (dotted) on a free port. A receive buffer size above
    // 0 is forced (SO_RCVBUFFORCE), for tests that take thousands of replies.
    explicit WorkstationSocket(const std::string& address, int receiveBuffer = 0);
    WorkstationSocket(const WorkstationSocket&) = delete;
    WorkstationSocket& operator=(const WorkstationSocket&) = delete;
    ~WorkstationSocket();

    // False, with Error() set, if the socket could not be set up.
    bool Ok() const { return fd_ >= 0; }
    const std::string& Error() const { return error_; }
    // The descriptor, for callers that read in their own way (recvmmsg).
    int Descriptor() const { return fd_; }
    // "a.b.c.d:port" of the socket itself.
    std::string LocalEndpoint() const;
    // The receive buffer in force, as the kernel reports it.
    int ReceiveBuffer() const;

    // Sends to 224.0.5.128 port 2362; true if the whole datagram went out.
    bool SendToGroup(const std::uint8_t* bytes, std::size_t length);
    bool SendToGroup(const std::vector<std::uint8_t>& bytes)
    {
        return SendToGroup(bytes.data(), bytes.size());
    }
    // The next datagram, or nothing once `timeout` passes without one.
    std::optional<SocketDatagram> Receive(std::chrono::milliseconds timeout);
    // Every datagram until none has come for `quiet`.
    std::vector<SocketDatagram> ReceiveUntilQuiet(std::chrono::milliseconds quiet);

private:
    int fd_ = -1;
    std::string error_;
    std::vector<std::uint8_t> buffer_;
};

}  // namespace ql5::lab
