// SPDX-License-Identifier: Apache-2.0
// The record behind a context handle, the process-wide registry of live
// handles, the per-context status and notification target, and the read side
// of the reply queue.
#pragma once

#include "device_requests.h"
#include "platform/auto_reset_event.h"
#include "platform/request_sockets.h"
#include "reply_queue.h"
#include "status.h"

#include <ql5/discovery.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

namespace ql5 {

// Outcome of the last operation that did work on a context.
struct ContextStatus {
    std::int32_t statusCode;
    char statusText[256];  // at most 255 characters; the last byte is always NUL
};

// A wait in seconds and microseconds, as the socket waits take it.
struct PollTimeout {
    std::int32_t seconds;
    std::int32_t microseconds;
};

inline std::chrono::microseconds ToDuration(const PollTimeout& timeout)
{
    return std::chrono::seconds(timeout.seconds) + std::chrono::microseconds(timeout.microseconds);
}

using NotifyCallback = void (*)(DiscoveryHandle handle, std::int32_t userValue);

// Whom the sweep tells that records are waiting: exactly one of the callback,
// window or event modes, or none.
struct NotifyTarget {
    NotifyCallback callback;
    Ql5WindowHandle window;
    std::uint32_t message;
    platform::AutoResetEvent* event;
    std::int32_t userValue;
};

}  // namespace ql5

struct DiscoveryContext {
    // The value that callers hold for this context. It is not the record's
    // address: a handle names one context only, and once that context is
    // closed no later context ever has the same handle.
    DiscoveryHandle handle = nullptr;
    std::uint32_t protocolMagic = 0;
    ql5::ContextStatus status{};
    std::int32_t multicastTtl = 64;
    std::uint32_t groupAddress = 0;  // 224.0.5.128, network order
    std::uint16_t groupPort = 2362;
    ql5::PollTimeout requestPollTimeout{0, 200000};
    // Due time of a request exchange in 100 ns units; negative means relative
    // to now: 7.5 s.
    std::int64_t requestTimeLimit = -75000000;
    std::int32_t sweepRunning = 0;
    std::int32_t sweepStarted = 0;
    std::thread sweepThread;
    ql5::PollTimeout sweepPollTimeout{0, 200000};
    ql5::NotifyTarget notify{};
    ql5::platform::AutoResetEvent* stopEvent = nullptr;
    ql5::ReplyQueue* replyQueue = nullptr;  // owns the records in it
    // The local addresses the running (or last started) sweep listens on,
    // written by StartDiscovery before the sweep thread starts.
    std::vector<std::uint32_t> sweepAddresses;
    // The addresses the next sweeps also ask by unicast (SetSweepHosts), and
    // those the running (or last started) sweep asks: StartDiscovery fixes
    // the latter before the sweep thread starts, so the thread never reads a
    // list the caller's thread may replace.
    std::shared_ptr<const std::vector<std::uint32_t>> sweepHosts;
    std::shared_ptr<const std::vector<std::uint32_t>> sweepHostsOfRun;
    bool networkingStarted = false;
    // The interface walk and the socket calls of the requests: the system's,
    // or a unit test's scripted ones, set before the context is used. The
    // sweep lists and opens its sockets and sends to its named hosts through
    // them too, but waits and receives on the system's own calls.
    const ql5::platform::RequestSockets* sockets = &ql5::platform::SystemSockets();
    // Written and read only by the requests, on the caller's thread.
    ql5::LocatedDevice located;
    // Where the reply that the last request accepted came from, and the
    // local address it arrived on.
    std::uint32_t lastReplySource = 0;
    std::uint32_t lastReplyLocal = 0;
};

namespace ql5 {

// The registry of live contexts: which handle names which context. Handles
// are drawn from a counter and never given out twice, so a closed handle stays
// dead even when a new context gets the freed record's address.
class ContextTable {
public:
    // Registers the context and returns its new handle; null when memory is
    // exhausted.
    DiscoveryHandle Add(DiscoveryContext* context) noexcept;
    void Remove(DiscoveryHandle handle) noexcept;
    // The context a live handle names, else null.
    DiscoveryContext* Find(DiscoveryHandle handle) const noexcept;
    std::int32_t Count() const noexcept;

private:
    mutable std::mutex mutex_;
    std::unordered_map<std::uintptr_t, DiscoveryContext*> contexts_;
    std::uintptr_t lastHandle_ = 0;
};

// True when the handle is in the registry of live contexts. Never reads
// through the handle.
[[nodiscard]] bool IsLiveContext(DiscoveryHandle handle);

// The context behind a live handle, else null.
DiscoveryContext* ResolveContext(DiscoveryHandle handle);

// Sets the status; the text is cut to its first 255 characters.
void SetStatus(DiscoveryContext* context, std::int32_t code, const char* text);

// Puts the cause of a failure that the status explains (Status::IsExplained:
// one on this host, an ambiguous answer, a reply without the outcome) into
// the status text, with code 0: no operation sets a code of its own for such
// a failure. Any other outcome (a refused argument, a request that got no
// reply) leaves the status as it was, which after the reset of a request
// reads "Operation Successful".
void ReportFailure(DiscoveryContext* context, const Status& status);

// The first usable argument chooses the mode: a callback, then an existing
// window, then an event; with none of them the target stays as it was.
void SetNotifyTarget(DiscoveryContext* context, NotifyCallback callback, Ql5WindowHandle window,
                     std::uint32_t message, platform::AutoResetEvent* event,
                     std::int32_t userValue);

// Frees every record waiting in the reply queue.
void ClearReplyQueue(DiscoveryContext* context);

// Unregisters the context and frees it with everything it owns. Does not touch
// the sweep: CloseContext ends it first.
void DestroyContext(DiscoveryContext* context);

// The registry of live contexts (exposed for tests).
ContextTable& ContextRegistry();

}  // namespace ql5
