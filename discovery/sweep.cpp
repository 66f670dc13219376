// The background sweep: one discovery request from every local address, then
// replies collected in cycles on a thread of its own until StopDiscovery.
#include "context.h"
#include "interface_sockets.h"
#include "message_window.h"
#include "packet_format.h"
#include "receive_reply.h"

#include <algorithm>
#include <memory>
#include <system_error>

namespace ql5 {

namespace {

// A burst of replies from a large fleet arrives faster than one cycle reads
// it; the kernel must hold it meanwhile, or replies are lost.
constexpr int kSweepReceiveBuffer = 4 * 1024 * 1024;

// Reads up to kMaxDatagramsPerDrain datagrams from one socket into the queue.
void DrainSocket(DiscoveryContext* context, SocketHandle socket)
{
    for (int read = 0; read < kMaxDatagramsPerDrain; ++read) {
        DeviceRecord* record = NewDeviceRecord(context);
        if (record == nullptr)
            return;  // no memory: try again next cycle
        if (!ReceiveReply(context, socket, kDiscoveryReply, BroadcastMac, record) ||
            context->replyQueue->Add(reinterpret_cast<LockedList::Value>(record)) < 0) {
            FreeDeviceRecord(record);
            return;
        }
    }
}

void Notify(DiscoveryContext* context)
{
    const NotifyTarget& notify = context->notify;
    if (notify.callback != nullptr)
        notify.callback(context, notify.userValue);
    // A window destroyed since the test only makes the post fail, which is
    // all the sweep would do about it anyway.
    if (IsWindow(notify.window))
        Ql5PostWindowMessage(notify.window, notify.message, 0, notify.userValue);
    if (notify.event != nullptr)
        notify.event->Set();
}

void SweepThread(DiscoveryContext* context)
{
    // Nothing on this thread writes the status, which belongs to the caller's
    // thread: a sweep that cannot open its sockets ends at once, and one whose
    // request failed to leave through some socket listens on the others.
    SocketHandle* sockets = nullptr;
    std::uint32_t count = 0;
    if (!OpenInterfaceSockets(context, &sockets, &count))
        return;
    for (std::uint32_t i = 0; i < count; ++i)
        platform::EnlargeReceiveBuffer(sockets[i], kSweepReceiveBuffer);

    RequestBuffer request;
    const std::size_t length =
        EncodeDiscoveryRequest(request, context->protocolMagic, BroadcastMac);
    static_cast<void>(
        SendToGroup(context, sockets, count, request, static_cast<std::uint32_t>(length)));

    const std::uint32_t watched = std::min(count, kMaxWatchedSockets);
    bool readable[kMaxWatchedSockets];
    const auto wait = ToDuration(context->sweepPollTimeout);
    for (;;) {
        // The stop signal also ends the wait, so StopDiscovery need not sit out
        // the rest of a quiet cycle.
        std::size_t ready = 0;
        if (!platform::WaitReadable(sockets, watched, readable, wait, context->stopEvent, &ready))
            break;
        if (ready > 0) {
            for (std::uint32_t i = 0; i < watched; ++i) {
                if (readable[i])
                    DrainSocket(context, sockets[i]);
            }
            if (context->replyQueue->Count() >= 1)
                Notify(context);
        }
        if (context->stopEvent->TryConsume())
            break;
    }
    CloseInterfaceSockets(sockets, count);
}

}  // namespace

}  // namespace ql5

using namespace ql5;

extern "C" {

int32_t StartDiscovery(DiscoveryHandle handle, Ql5WindowHandle window, uint32_t message,
                       int32_t userValue)
{
    if (!IsLiveContext(handle) || !IsWindow(window) || message == 0)
        return -1;
    DiscoveryContext* context = ResolveContext(handle);
    if (context == nullptr || context->sweepRunning != 0)
        return -1;
    context->sweepStarted = 1;
    SetNotifyTarget(context, nullptr, window, message, nullptr, userValue);
    SetStatus(context, 0, kStatusSuccess);
    context->sweepRunning = 1;
    ClearReplyQueue(context);
    // A stop signalled to a sweep that had already ended by itself was never
    // consumed; left pending, it would end the new sweep after one cycle.
    context->stopEvent->Reset();
    try {
        context->sweepThread = std::thread(SweepThread, context);
    } catch (const std::system_error&) {
        context->sweepRunning = 0;
        return -1;
    }
    return 0;
}

void StopDiscovery(DiscoveryHandle handle)
{
    if (!IsLiveContext(handle))
        return;
    DiscoveryContext* context = ResolveContext(handle);
    if (context == nullptr || context->sweepRunning == 0 || context->sweepStarted == 0)
        return;
    context->stopEvent->Set();
    if (context->sweepThread.joinable())
        context->sweepThread.join();
    context->sweepRunning = 0;
}

}  // extern "C"
