// SPDX-License-Identifier: Apache-2.0
#include "context.h"

#include "byte_order.h"
#include "device_record.h"
#include "message_window.h"
#include "platform/network_startup.h"
#include "text_copy.h"

#include <new>

namespace ql5 {

namespace {

std::uintptr_t HandleValue(DiscoveryHandle handle)
{
    return reinterpret_cast<std::uintptr_t>(handle);
}

// Handles start far from 0, so that no small number that a caller might pass
// by mistake is ever a live handle.
constexpr std::uintptr_t kFirstHandle = 0x51C50000;

}  // namespace

DiscoveryHandle ContextTable::Add(DiscoveryContext* context) noexcept
{
    std::lock_guard lock(mutex_);
    // A counter of pointer width does not wrap in the life of a process on a
    // 64-bit system; where it is 32 bits wide, a wrap skips the handles that
    // are still live.
    std::uintptr_t value = lastHandle_ < kFirstHandle ? kFirstHandle : lastHandle_ + 1;
    while (value == 0 || contexts_.contains(value))
        ++value;
    try {
        contexts_.emplace(value, context);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    lastHandle_ = value;
    return reinterpret_cast<DiscoveryHandle>(value);
}

void ContextTable::Remove(DiscoveryHandle handle) noexcept
{
    std::lock_guard lock(mutex_);
    contexts_.erase(HandleValue(handle));
}

DiscoveryContext* ContextTable::Find(DiscoveryHandle handle) const noexcept
{
    std::lock_guard lock(mutex_);
    const auto found = contexts_.find(HandleValue(handle));
    return found != contexts_.end() ? found->second : nullptr;
}

std::int32_t ContextTable::Count() const noexcept
{
    std::lock_guard lock(mutex_);
    return static_cast<std::int32_t>(contexts_.size());
}

ContextTable& ContextRegistry()
{
    // Built on first use, which the language makes thread-safe, and never
    // destroyed, so a context closed late during exit still finds it.
    static auto* registry = new ContextTable;
    return *registry;
}

bool IsLiveContext(DiscoveryHandle handle)
{
    return handle != nullptr && ContextRegistry().Find(handle) != nullptr;
}

DiscoveryContext* ResolveContext(DiscoveryHandle handle)
{
    return handle != nullptr ? ContextRegistry().Find(handle) : nullptr;
}

void SetStatus(DiscoveryContext* context, std::int32_t code, const char* text)
{
    if (context == nullptr || text == nullptr)
        return;
    context->status.statusCode = code;
    CopyTextZeroFilled(context->status.statusText, sizeof context->status.statusText, text);
}

void ReportFailure(DiscoveryContext* context, const Status& status)
{
    if (context == nullptr || !status.IsExplained())
        return;
    char text[sizeof context->status.statusText];
    DescribeStatus(status, text, sizeof text);
    SetStatus(context, 0, text);
}

void SetNotifyTarget(DiscoveryContext* context, NotifyCallback callback, Ql5WindowHandle window,
                     std::uint32_t message, platform::AutoResetEvent* event, std::int32_t userValue)
{
    if (context == nullptr)
        return;
    if (callback != nullptr)
        context->notify = NotifyTarget{callback, nullptr, 0, nullptr, userValue};
    else if (IsWindow(window))
        context->notify = NotifyTarget{nullptr, window, message, nullptr, userValue};
    else if (event != nullptr)
        context->notify = NotifyTarget{nullptr, nullptr, 0, event, 0};
}

void ClearReplyQueue(DiscoveryContext* context)
{
    if (context == nullptr || context->replyQueue == nullptr)
        return;
    context->replyQueue->Clear();
}

void DestroyContext(DiscoveryContext* context)
{
    if (context == nullptr)
        return;
    if (context->handle != nullptr)
        ContextRegistry().Remove(context->handle);
    platform::AutoResetEvent::Destroy(context->stopEvent);
    ReplyQueue::Destroy(context->replyQueue);
    if (context->networkingStarted)
        platform::StopNetworking();
    delete context;
}

}  // namespace ql5

using namespace ql5;

extern "C" {

DiscoveryHandle OpenContext(uint32_t protocolMagic)
{
    if (protocolMagic == 0)
        return nullptr;
    if (!platform::StartNetworking())
        return nullptr;  // no context, so no status to say why
    // The record's members allocate nothing when they are made, so the only
    // failure here is the allocation itself.
    auto* context = new (std::nothrow) DiscoveryContext;
    if (context == nullptr) {
        platform::StopNetworking();
        return nullptr;
    }
    context->networkingStarted = true;
    context->protocolMagic = protocolMagic;
    SetStatus(context, 0, kStatusSuccess);
    context->groupAddress = Ipv4FromOctets(224, 0, 5, 128);

    context->stopEvent = platform::AutoResetEvent::Create();
    context->replyQueue = ReplyQueue::Create(context);
    if (context->stopEvent != nullptr && context->replyQueue != nullptr)
        context->handle = ContextRegistry().Add(context);
    if (context->handle == nullptr) {
        DestroyContext(context);
        return nullptr;
    }
    return context->handle;
}

void CloseContext(DiscoveryHandle handle)
{
    if (!IsLiveContext(handle))
        return;
    StopDiscovery(handle);
    if (DiscoveryContext* context = ResolveContext(handle))
        DestroyContext(context);
}

int32_t GetStatusCode(DiscoveryHandle handle)
{
    const DiscoveryContext* context = ResolveContext(handle);
    return context != nullptr ? context->status.statusCode : -1;
}

int32_t GetStatusText(DiscoveryHandle handle, char* buffer, uint32_t size)
{
    if (!IsLiveContext(handle) || size == 0 || buffer == nullptr)
        return -1;
    const DiscoveryContext* context = ResolveContext(handle);
    if (context == nullptr)
        return -1;
    CopyTextZeroFilled(buffer, size, context->status.statusText);
    return 0;
}

int32_t GetDeviceCount(DiscoveryHandle handle)
{
    const DiscoveryContext* context = ResolveContext(handle);
    return context != nullptr ? context->replyQueue->Count() : -1;
}

int32_t ReadDevices(DiscoveryHandle handle, DeviceRecordExchange* array, uint32_t number)
{
    return ReadDevicesFrom(handle, array, nullptr, number);
}

int32_t ReadDevicesFrom(DiscoveryHandle handle, DeviceRecordExchange* array,
                        uint32_t* sourceAddresses, uint32_t number)
{
    if (!IsLiveContext(handle) || number == 0 || array == nullptr)
        return -1;
    DiscoveryContext* context = ResolveContext(handle);
    if (context == nullptr)
        return -1;
    // A few dozen records per taking of the queue's lock, until the array is
    // full or the queue empty, so records the sweep adds meanwhile are read
    // by this same call while the array has room.
    uint32_t filled = 0;
    while (filled < number) {
        const std::size_t read = context->replyQueue->ReadHeads(
            &array[filled], sourceAddresses == nullptr ? nullptr : &sourceAddresses[filled],
            number - filled);
        if (read == 0)
            break;
        filled += static_cast<uint32_t>(read);
    }
    return static_cast<int32_t>(filled);
}

}  // extern "C"
