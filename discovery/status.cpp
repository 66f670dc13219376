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
    }
    return {"unknown failure"};
}

}  // namespace

void DescribeStatus(const Status& status, char* text, std::size_t capacity) noexcept
{
    if (text == nullptr || capacity == 0)
        return;
    const FailureText what = TextOf(status.What());
    int written = 0;
    if (status.Address() != 0 && what.before != nullptr) {
        // The address is stored in network order: its bytes are the octets.
        unsigned char octets[4];
        const std::uint32_t address = status.Address();
        std::memcpy(octets, &address, sizeof octets);
        written = std::snprintf(text, capacity, "%s%u.%u.%u.%u%s", what.before, octets[0],
                                octets[1], octets[2], octets[3], what.after);
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

}  // namespace ql5
