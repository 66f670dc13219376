// SPDX-License-Identifier: Apache-2.0
// The background sweep: one discovery request from every local address, then
// replies collected in cycles on a thread of its own until StopDiscovery.
#include "context.h"
#include "interface_sockets.h"
#include "message_window.h"
#include "packet_format.h"
#include "sweep_drain.h"
#include "sweep_hosts.h"

#include <algorithm>
#include <memory>
#include <new>
#include <system_error>
#include <utility>

namespace ql5 {

namespace {

// A burst of replies from a large fleet arrives faster than one cycle reads
// it; the kernel must hold it meanwhile, or replies are lost.
constexpr int kSweepReceiveBuffer = 4 * 1024 * 1024;

void Notify(DiscoveryContext* context)
{
    const NotifyTarget& notify = context->notify;
    if (notify.callback != nullptr)
        notify.callback(context->handle, notify.userValue);
    // A window destroyed since the test only makes the post fail, which is
    // all the sweep would do about it anyway.
    if (IsWindow(notify.window))
        Ql5PostWindowMessage(notify.window, notify.message, 0, notify.userValue);
    if (notify.event != nullptr)
        notify.event->Set();
}

// The request leaves from the caller's thread, before the sweep thread
// exists: the replies of a large fleet start to arrive within a fraction of a
// millisecond, and the kernel holds them in the enlarged buffers until the
// thread reads them, whereas a request sent by the thread would wait for the
// thread to be created and scheduled, which on a busy workstation takes
// milliseconds. A sweep whose request failed to leave through some socket
// listens on the others.
void SendSweepRequest(const DiscoveryContext* context, const InterfaceSocketSet& sockets)
{
    for (std::uint32_t i = 0; i < sockets.Count(); ++i)
        platform::EnlargeReceiveBuffer(sockets.Socket(i), kSweepReceiveBuffer);
    RequestBuffer request;
    const std::size_t length =
        EncodeDiscoveryRequest(request, context->protocolMagic, BroadcastMac);
    static_cast<void>(SendToGroup(context, sockets, request, static_cast<std::uint32_t>(length)));
}

// Nothing on this thread writes the status, which belongs to the caller's
// thread.
void SweepThread(DiscoveryContext* context, InterfaceSocketSet sockets,
                 std::unique_ptr<ReceiveBatch> batch)
{
    HostSweep hosts(context, sockets, context->sweepHostsOfRun);

    // The stop signal also ends the wait, so StopDiscovery need not sit out
    // the rest of a quiet cycle.
    platform::SocketWaiter waiter;
    if (!waiter.Watch(sockets.Sockets(), sockets.Count(), context->stopEvent))
        return;
    const auto wait = ToDuration(context->sweepPollTimeout);
    for (;;) {
        hosts.SendDue();
        std::size_t ready = 0;
        if (!waiter.Wait(wait, &ready))
            break;
        if (ready > 0) {
            for (std::uint32_t i = 0; i < sockets.Count(); ++i) {
                if (waiter.Readable(i))
                    DrainSocket(context, sockets.Socket(i), sockets.Address(i), *batch);
            }
            if (context->replyQueue->Count() >= 1)
                Notify(context);
        }
        // The wait watches the stop signal too, so only a wait that saw it
        // needs the system call that consumes it. A stop that comes after the
        // wait ends the next one at once.
        if (waiter.Woken() && context->stopEvent->TryConsume())
            break;
    }
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
    ClearReplyQueue(context);
    context->sweepAddresses.clear();
    // A stop signalled to a sweep that had already ended by itself was never
    // consumed; left pending, it would end the new sweep after one cycle.
    context->stopEvent->Reset();

    // The sockets are opened here, on the caller's thread, so that a sweep
    // that could listen nowhere fails with the reason instead of ending
    // silently on its thread.
    InterfaceSocketSet sockets(*context->sockets);
    std::unique_ptr<ReceiveBatch> batch;
    Status opened = OpenInterfaceSockets(context, &sockets);
    if (opened) {
        try {
            context->sweepAddresses = sockets.Addresses();
        } catch (const std::bad_alloc&) {
            opened = Status::Failed(Failure::kOutOfMemory);
        }
    }
    if (!opened) {
        ReportFailure(context, opened);
        return -1;
    }
    SendSweepRequest(context, sockets);
    batch = ReceiveBatch::Create();
    if (!batch) {
        ReportFailure(context, Status::Failed(Failure::kOutOfMemory));
        return -1;
    }
    context->sweepHostsOfRun = context->sweepHosts;
    context->sweepRunning = 1;
    try {
        context->sweepThread =
            std::thread(SweepThread, context, std::move(sockets), std::move(batch));
    } catch (const std::system_error&) {
        context->sweepRunning = 0;
        context->sweepAddresses.clear();
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

int64_t GetDroppedCount(DiscoveryHandle handle)
{
    const DiscoveryContext* context = ResolveContext(handle);
    return context != nullptr ? context->replyQueue->Dropped() : -1;
}

int32_t GetSweepAddresses(DiscoveryHandle handle, uint32_t* addresses, uint32_t number)
{
    if (!IsLiveContext(handle) || (number > 0 && addresses == nullptr))
        return -1;
    const DiscoveryContext* context = ResolveContext(handle);
    if (context == nullptr)
        return -1;
    const std::vector<std::uint32_t>& listening = context->sweepAddresses;
    std::copy_n(listening.begin(), std::min<std::size_t>(listening.size(), number), addresses);
    return static_cast<int32_t>(listening.size());
}

}  // extern "C"
