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
    case Failure::None: return {kStatusSuccess};
    case Failure::InvalidArgument: return {"invalid argument"};
    case Failure::NoReply: return {"no reply before the time limit"};
    case Failure::NoLocalAddress: return {"no IPv4 address on any interface that is up"};
    case Failure::ListAddresses: return {"cannot list the local IPv4 addresses"};
    case Failure::OutOfMemory: return {"out of memory"};
    case Failure::OpenSocket: return {"cannot open a socket", "cannot open a socket on "};
    case Failure::BindSocket: return {"cannot bind a socket", "cannot bind a socket to "};
    case Failure::SetMulticastInterface:
        return {"cannot set the multicast interface", "cannot make ", " the multicast interface"};
    case Failure::SetMulticastTtl:
        return {"cannot set the multicast time-to-live",
                "cannot set the multicast time-to-live on "};
    case Failure::SetNonBlocking:
        return {"cannot make a socket non-blocking", "cannot make the socket on ", " non-blocking"};
    case Failure::Send: return {"cannot send the request", "cannot send the request from "};
    case Failure::Wait: return {"cannot wait for replies"};
    case Failure::StartNetworking: return {"cannot start networking"};
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
