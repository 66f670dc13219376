// SPDX-License-Identifier: Apache-2.0
// The one error convention inside the discovery client.
//
// An internal operation that can fail tells its caller so through its result,
// and that result is true on success:
//   - [[nodiscard]] bool where a failure is an ordinary answer that needs no
//     explanation (a datagram that is no acceptable reply, a field that does
//     not decode, a table without the row asked for);
//   - Status where a failure has a cause worth telling the user: what the
//     client was doing, on which local address, and the system's own error
//     number, captured where the system reported it.
// Only the C functions of the public interface turn these into the -1, 0 and
// 1 results of the interface, and a Status into the context's status text.
#pragma once

#include "platform/system_error.h"

#include <ql5/discovery.h>

#include <cstddef>
#include <cstdint>

namespace ql5 {

// The status text of every operation that went as it should, and of a request
// that got no reply.
inline constexpr char kStatusSuccess[] = QL5_STATUS_TEXT_SUCCESS;

// What the client failed to do. Each value has one text (DescribeStatus).
enum class Failure : std::uint8_t {
    kNone,
    kInvalidArgument,  // refused before anything was done
    kNoReply,          // the time limit passed without the awaited reply
    kNoLocalAddress,   // no interface that is up has an IPv4 address
    kListAddresses,    // the system could not be asked for the addresses
    kOutOfMemory,
    kOpenSocket,
    kBindSocket,
    kSetMulticastInterface,
    kSetMulticastTtl,
    kSetNonBlocking,
    kSend,
    kWait,
    kStartNetworking,
    kNotLocalAddress,  // the address asked for is none of this host's
    kAmbiguous,        // the MAC answered from more than one address
    kNoOutcome,        // a command's reply did not carry its result
};

class [[nodiscard]] Status {
public:
    // Success.
    constexpr Status() noexcept = default;

    static constexpr Status Failed(Failure failure, platform::SystemError error = {},
                                   std::uint32_t address = 0) noexcept
    {
        Status status;
        status.failure_ = failure;
        status.error_ = error;
        status.address_ = address;
        return status;
    }

    constexpr bool Ok() const noexcept { return failure_ == Failure::kNone; }
    constexpr explicit operator bool() const noexcept { return Ok(); }

    // True for a failure that the status text explains: one on this host, a
    // converter that answered from more than one address, or a command's reply
    // that left its outcome open. A refused argument and a request that got no
    // reply are not: the first changes nothing, and after the second the status
    // still reads "Operation Successful".
    constexpr bool IsExplained() const noexcept
    {
        return failure_ != Failure::kNone && failure_ != Failure::kInvalidArgument &&
               failure_ != Failure::kNoReply;
    }

    constexpr Failure What() const noexcept { return failure_; }
    constexpr platform::SystemError Error() const noexcept { return error_; }
    // The local IPv4 address (network order) the failure concerns, or 0.
    constexpr std::uint32_t Address() const noexcept { return address_; }

    // The same failure, said of this local address.
    constexpr Status On(std::uint32_t address) const noexcept
    {
        return Failed(failure_, error_, address);
    }

private:
    Failure failure_ = Failure::kNone;
    platform::SystemError error_{};
    std::uint32_t address_ = 0;
};

// Writes the status as the user reads it, for example "cannot bind a socket to
// 198.51.100.1: Cannot assign requested address", cut to the capacity and
// NUL-terminated. Success reads "Operation Successful".
void DescribeStatus(const Status& status, char* text, std::size_t capacity) noexcept;

// The text of Failure::kAmbiguous that names the local addresses (network
// order) on which the MAC answered, for example "the MAC answered from more
// than one address (on the local addresses 198.51.100.1 and 203.0.113.1); the
// command was not sent", cut to the capacity and NUL-terminated.
void DescribeAmbiguity(const std::uint32_t* localAddresses, std::size_t count, char* text,
                       std::size_t capacity) noexcept;

}  // namespace ql5
