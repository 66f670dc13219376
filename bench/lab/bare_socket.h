// The baseline receiver: a bare, non-blocking UDP socket on a workstation
// address, sending to the discovery group as the client's sockets do (bound to
// the address, IP_MULTICAST_IF set to it) and receiving with recvmmsg. It does
// nothing with a datagram but look at its header and MAC, so what it achieves
// is what the kernel and the simulator allow.
#pragma once

#include "bench_support.h"

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

namespace ql5::bench {

class BareSocket {
public:
    // receiveBuffer > 0 forces that kernel receive buffer (SO_RCVBUFFORCE).
    BareSocket(const std::string& address, int receiveBuffer);
    BareSocket(const BareSocket&) = delete;
    BareSocket& operator=(const BareSocket&) = delete;
    ~BareSocket();

    bool Ok() const { return fd_ >= 0; }
    const std::string& Error() const { return error_; }
    // The receive buffer in force, as the kernel reports it.
    int ReceiveBuffer() const;

    bool SendToGroup(const std::uint8_t* bytes, std::size_t length);

    struct Burst {
        std::unordered_set<std::uint64_t> macs;  // distinct senders seen
        std::size_t datagrams = 0;
        Clock::time_point first{};               // when the first one was read
        Clock::time_point last{};                // when the last one was read
        double lastCpuSeconds = 0;               // process CPU time at that moment
    };
    // Drains the socket in a tight loop until `expected` distinct MACs have
    // arrived or nothing has come for `quiet`.
    Burst DrainBurst(std::size_t expected, Clock::duration quiet);

    // Waits (poll) for a datagram of the given message type from the given
    // MAC, dropping others; false when none comes within the time-out.
    bool AwaitReply(std::uint16_t type, const std::uint8_t* mac, Clock::duration timeout);

    // Reads and drops whatever is queued.
    void Discard();

private:
    int fd_ = -1;
    std::string error_;
};

// The MAC of a reply whose first field is the MAC (code 1, length 6), as the
// converters send it; false for anything else.
bool ReplyMac(const std::uint8_t* datagram, std::size_t length, std::uint16_t type,
              std::uint64_t* key);

}  // namespace ql5::bench
