// SPDX-License-Identifier: Apache-2.0
#include "status.h"

#include <cstdio>
#include <cstring>

namespace ql5 {

namespace {

// What was being done. Where the failure concerns a local address, the text
// names it between `before` and `after`; otherwise it reads `alone`.
struct FailureText {
    const char* alone;
    const char* before = nullptr;
    const char* after = "";
};

FailureText TextOf(Failure failure)
{
    switch (failure) {
    case Failure::kNone: return {kStatusSuccess};
    case Failure::kInvalidArgument: return {"invalid argument"};
    case Failure::kNoReply: return {"no reply before the time limit"};
    case Failure::kNoLocalAddress: return {"no IPv4 address on any interface that is up"};
    case Failure::kListAddresses: return {"cannot list the local IPv4 addresses"};
    case Failure::kOutOfMemory: return {"out of memory"};
    case Failure::kOpenSocket: return {"cannot open a socket", "cannot open a socket on "};
    case Failure::kBindSocket: return {"cannot bind a socket", "cannot bind a socket to "};
    case Failure::kSetMulticastInterface:
        return {"cannot set the multicast interface", "cannot make ", " the multicast interface"};
    case Failure::kSetMulticastTtl:
        return {"cannot set the multicast time-to-live",
                "cannot set the multicast time-to-live on "};
    case Failure::kSetNonBlocking:
        return {"cannot make a socket non-blocking", "cannot make the socket on ", " non-blocking"};
    case Failure::kSend: return {"cannot send the request", "cannot send the request from "};
    case Failure::kWait: return {"cannot wait for replies"};
    case Failure::kStartNetworking: return {"cannot start networking"};
    case Failure::kNotLocalAddress:
        return {"the address is not an IPv4 address of this host", "",
                " is not an IPv4 address of this host (on an interface that is up)"};
    case Failure::kAmbiguous:
        return {"the MAC answered from more than one address; the command was not sent"};
    case Failure::kNoOutcome:
        return {"the converter's reply did not state whether it carried the command out"};
    }
    return {"unknown failure"};
}

// Appends "a.b.c.d" for an address in network order, whose bytes are the octets.
int AppendAddress(char* text, std::size_t capacity, std::uint32_t address)
{
    unsigned char octets[4];
    std::memcpy(octets, &address, sizeof octets);
    return std::snprintf(text, capacity, "%u.%u.%u.%u", octets[0], octets[1], octets[2], octets[3]);
}

}  // namespace

void DescribeStatus(const Status& status, char* text, std::size_t capacity) noexcept
{
    if (text == nullptr || capacity == 0)
        return;
    const FailureText what = TextOf(status.What());
    int written = 0;
    if (status.Address() != 0 && what.before != nullptr) {
        char address[16];
        AppendAddress(address, sizeof address, status.Address());
        written = std::snprintf(text, capacity, "%s%s%s", what.before, address, what.after);
    } else {
        written = std::snprintf(text, capacity, "%s", what.alone);
    }
    const platform::SystemError error = status.Error();
    if (status.Ok() || error.number == 0 || written < 0 ||
        static_cast<std::size_t>(written) + 2 >= capacity)
        return;
    // The system's own words for the cause, translated where the platform
    // knows how.
    char reason[200];
    platform::DescribeSystemError(error, reason, sizeof reason);
    std::snprintf(text + written, capacity - static_cast<std::size_t>(written), ": %s", reason);
}

void DescribeAmbiguity(const std::uint32_t* localAddresses, std::size_t count, char* text,
                       std::size_t capacity) noexcept
{
    if (text == nullptr || capacity == 0)
        return;
    if (localAddresses == nullptr || count == 0) {
        DescribeStatus(Status::Failed(Failure::kAmbiguous), text, capacity);
        return;
    }
    // Built in a buffer long enough for any list the text can show, then cut.
    char built[512];
    std::size_t used = static_cast<std::size_t>(
        std::snprintf(built, sizeof built, "the MAC answered from more than one address (on %s",
                      count == 1 ? "the local address " : "the local addresses "));
    for (std::size_t i = 0; i < count && used + 40 < sizeof built; ++i) {
        const char* separator = i == 0 ? "" : (i + 1 == count ? " and " : ", ");
        used += static_cast<std::size_t>(
            std::snprintf(built + used, sizeof built - used, "%s", separator));
        used += static_cast<std::size_t>(
            AppendAddress(built + used, sizeof built - used, localAddresses[i]));
    }
    std::snprintf(built + used, sizeof built - used, "); the command was not sent");
    std::snprintf(text, capacity, "%s", built);
}

}  // namespace ql5
