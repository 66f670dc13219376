// SPDX-License-Identifier: Apache-2.0
// Message windows on POSIX systems, Linux among them: a window is a callback in
// a registry, and posting calls it on the posting thread. Windows has real
// message-only windows instead (platform/win/message_window.cpp).
#include "message_window.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>

struct Ql5MessageWindow {
    Ql5WindowCallback callback;
    void* userData;
};

namespace {

// Posting holds the registry's lock while the callback runs, so that
// Ql5DestroyMessageWindow returns only when no post to the window is in flight.
// The lock is re-entrant so that a callback may post to another window.
//
// A handle is a number drawn from a counter, never the window's address: an
// address is reused by the next window made after one is destroyed, and a
// stale handle would then post to a stranger. Numbers are never given out
// twice, so a destroyed window's handle stays dead.
struct WindowRegistry {
    std::recursive_mutex mutex;
    std::unordered_map<std::uintptr_t, std::unique_ptr<Ql5MessageWindow>> windows;
    std::uintptr_t lastHandle = 0;
};

// Far from 0, so that no small number passed by mistake is a live handle.
constexpr std::uintptr_t kFirstHandle = 0x51C60000;

std::uintptr_t HandleValue(Ql5WindowHandle window)
{
    return reinterpret_cast<std::uintptr_t>(window);
}

WindowRegistry& Registry()
{
    // Never destroyed: windows may still be posted to while static objects are
    // being torn down at exit.
    static auto* registry = new WindowRegistry;
    return *registry;
}

}  // namespace

extern "C" {

Ql5WindowHandle Ql5CreateMessageWindow(Ql5WindowCallback callback, void* userData)
{
    if (callback == nullptr)
        return nullptr;
    auto window =
        std::unique_ptr<Ql5MessageWindow>(new (std::nothrow) Ql5MessageWindow{callback, userData});
    if (!window)
        return nullptr;
    WindowRegistry& registry = Registry();
    std::lock_guard lock(registry.mutex);
    std::uintptr_t value =
        registry.lastHandle < kFirstHandle ? kFirstHandle : registry.lastHandle + 1;
    while (value == 0 || registry.windows.contains(value))
        ++value;
    try {
        registry.windows.emplace(value, std::move(window));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    registry.lastHandle = value;
    return reinterpret_cast<Ql5WindowHandle>(value);
}

void Ql5DestroyMessageWindow(Ql5WindowHandle window)
{
    WindowRegistry& registry = Registry();
    std::lock_guard lock(registry.mutex);
    registry.windows.erase(HandleValue(window));
}

int32_t Ql5IsMessageWindow(Ql5WindowHandle window)
{
    if (window == nullptr)
        return 0;
    WindowRegistry& registry = Registry();
    std::lock_guard lock(registry.mutex);
    return registry.windows.contains(HandleValue(window)) ? 1 : 0;
}

int32_t Ql5PostWindowMessage(Ql5WindowHandle window, uint32_t message, uintptr_t firstParameter,
                             intptr_t secondParameter)
{
    WindowRegistry& registry = Registry();
    std::lock_guard lock(registry.mutex);
    const auto found = registry.windows.find(HandleValue(window));
    if (found == registry.windows.end())
        return -1;
    found->second->callback(window, message, firstParameter, secondParameter,
                            found->second->userData);
    return 0;
}

}  // extern "C"
