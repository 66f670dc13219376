// SPDX-License-Identifier: Apache-2.0
// The auto-reset event on Windows: an unnamed Win32 event that resets itself
// when a wait sees it.
#include "platform/auto_reset_event.h"

#include <windows.h>

#include <new>

namespace ql5::platform {

AutoResetEvent* AutoResetEvent::Create() noexcept
{
    HANDLE handle = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (handle == nullptr)
        return nullptr;
    auto* event = new (std::nothrow) AutoResetEvent(NativeEvent{handle});
    if (event == nullptr)
        ::CloseHandle(handle);
    return event;
}

void AutoResetEvent::Destroy(AutoResetEvent* event) noexcept
{
    delete event;
}

AutoResetEvent::~AutoResetEvent()
{
    ::CloseHandle(native_.handle);
}

void AutoResetEvent::Set() noexcept
{
    ::SetEvent(native_.handle);
}

bool AutoResetEvent::TryConsume() noexcept
{
    return ::WaitForSingleObject(native_.handle, 0) == WAIT_OBJECT_0;
}

bool AutoResetEvent::Wait(std::chrono::milliseconds timeout) noexcept
{
    const auto milliseconds = timeout.count() < 0 ? 0 : timeout.count();
    return ::WaitForSingleObject(native_.handle, static_cast<DWORD>(milliseconds)) == WAIT_OBJECT_0;
}

}  // namespace ql5::platform
