#include "message_window.h"

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
struct WindowRegistry {
    std::recursive_mutex mutex;
    std::unordered_map<Ql5MessageWindow*, std::unique_ptr<Ql5MessageWindow>> windows;
};

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
    try {
        Ql5MessageWindow* handle = window.get();
        registry.windows.emplace(handle, std::move(window));
        return handle;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void Ql5DestroyMessageWindow(Ql5WindowHandle window)
{
    WindowRegistry& registry = Registry();
    std::lock_guard lock(registry.mutex);
    registry.windows.erase(window);
}

int32_t Ql5IsMessageWindow(Ql5WindowHandle window)
{
    if (window == nullptr)
        return 0;
    WindowRegistry& registry = Registry();
    std::lock_guard lock(registry.mutex);
    return registry.windows.contains(window) ? 1 : 0;
}

int32_t Ql5PostWindowMessage(Ql5WindowHandle window, uint32_t message, uintptr_t firstParameter,
                             intptr_t secondParameter)
{
    WindowRegistry& registry = Registry();
    std::lock_guard lock(registry.mutex);
    const auto found = registry.windows.find(window);
    if (found == registry.windows.end())
        return -1;
    found->second->callback(window, message, firstParameter, secondParameter,
                            found->second->userData);
    return 0;
}

}  // extern "C"
