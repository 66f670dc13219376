// SPDX-License-Identifier: Apache-2.0
// Message windows on Windows: each is a real hidden message-only window
// (parent HWND_MESSAGE), and the handle is its HWND. Ql5PostWindowMessage
// posts to it with PostMessageW, so the poster never waits for the window's
// thread. Each window runs its own message loop on a thread of its own, so a
// program without a message loop of its own (ql5ctl, the tests) receives the
// messages all the same; the callback runs on that thread.
#include "message_window.h"

#include <windows.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <thread>
#include <unordered_map>

struct Ql5MessageWindow;

namespace {

constexpr wchar_t kClassName[] = L"Ql5DiscoveryMessageWindow";
// The client's messages are application messages (WM_USER to 0xBFFF); the
// system's own (creation, closing, timers) and registered messages stay with
// Windows, so a caller cannot post one of them by mistake.
constexpr UINT kFirstMessage = WM_USER;
constexpr UINT kLastMessage = 0xBFFF;

struct WindowState {
    Ql5WindowCallback callback = nullptr;
    void* userData = nullptr;
    std::thread thread;
    DWORD threadId = 0;
    HWND window = nullptr;
    // Creation is reported back to Ql5CreateMessageWindow through these.
    std::mutex mutex;
    std::condition_variable created;
    bool done = false;
};

// The live windows by handle. A window leaves it before it is destroyed, so a
// post that finds the window here reaches a window that has not yet been told
// to go; what is queued behind the destroy message is never dispatched.
struct WindowRegistry {
    std::mutex mutex;
    std::unordered_map<HWND, std::unique_ptr<WindowState>> windows;
};

WindowRegistry& Registry()
{
    // Never destroyed: windows may still be posted to while static objects are
    // being torn down at exit.
    static auto* registry = new WindowRegistry;
    return *registry;
}

HWND ToHwnd(Ql5WindowHandle window)
{
    return reinterpret_cast<HWND>(window);
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM first, LPARAM second)
{
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(second);
        ::SetWindowLongPtrW(window, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
        return ::DefWindowProcW(window, message, first, second);
    }
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    // WM_CLOSE, which Ql5DestroyMessageWindow posts, goes to DefWindowProcW,
    // which destroys the window on its own thread, as Windows requires.
    auto* state = reinterpret_cast<WindowState*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (state != nullptr && message >= kFirstMessage && message <= kLastMessage) {
        state->callback(reinterpret_cast<Ql5WindowHandle>(window), message, first, second,
                        state->userData);
        return 0;
    }
    return ::DefWindowProcW(window, message, first, second);
}

bool RegisterWindowClass()
{
    static const bool registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = WindowProcedure;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kClassName;
        return ::RegisterClassExW(&windowClass) != 0 ||
               ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered;
}

void RunWindow(WindowState* state)
{
    HWND window = ::CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    ::GetModuleHandleW(nullptr), state);
    {
        std::lock_guard lock(state->mutex);
        state->window = window;
        state->threadId = ::GetCurrentThreadId();
        state->done = true;
    }
    state->created.notify_all();
    if (window == nullptr)
        return;
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0)
        ::DispatchMessageW(&message);
}

}  // namespace

extern "C" {

Ql5WindowHandle Ql5CreateMessageWindow(Ql5WindowCallback callback, void* userData)
{
    if (callback == nullptr || !RegisterWindowClass())
        return nullptr;
    auto state = std::unique_ptr<WindowState>(new (std::nothrow) WindowState);
    if (!state)
        return nullptr;
    state->callback = callback;
    state->userData = userData;
    try {
        state->thread = std::thread(RunWindow, state.get());
    } catch (const std::exception&) {
        return nullptr;
    }
    HWND window = nullptr;
    {
        std::unique_lock lock(state->mutex);
        state->created.wait(lock, [&] { return state->done; });
        window = state->window;
    }
    if (window == nullptr) {
        state->thread.join();
        return nullptr;
    }
    WindowRegistry& registry = Registry();
    std::lock_guard lock(registry.mutex);
    try {
        registry.windows.emplace(window, std::move(state));
    } catch (const std::bad_alloc&) {
        ::PostMessageW(window, WM_CLOSE, 0, 0);
        state->thread.join();
        return nullptr;
    }
    return reinterpret_cast<Ql5WindowHandle>(window);
}

void Ql5DestroyMessageWindow(Ql5WindowHandle window)
{
    std::unique_ptr<WindowState> state;
    {
        WindowRegistry& registry = Registry();
        std::lock_guard lock(registry.mutex);
        const auto found = registry.windows.find(ToHwnd(window));
        if (found == registry.windows.end())
            return;
        state = std::move(found->second);
        registry.windows.erase(found);
    }
    if (state->thread.get_id() == std::this_thread::get_id()) {
        // Called from the callback: the window goes now, and its thread ends
        // when the callback has returned to the loop.
        ::DestroyWindow(state->window);
        state->thread.detach();
        return;
    }
    // Messages are handled in order, so the callbacks of posts made before
    // this one run first; after the join none can run any more.
    if (::PostMessageW(state->window, WM_CLOSE, 0, 0) == 0)
        ::PostThreadMessageW(state->threadId, WM_QUIT, 0, 0);
    state->thread.join();
}

int32_t Ql5IsMessageWindow(Ql5WindowHandle window)
{
    if (window == nullptr)
        return 0;
    WindowRegistry& registry = Registry();
    std::lock_guard lock(registry.mutex);
    return registry.windows.contains(ToHwnd(window)) ? 1 : 0;
}

int32_t Ql5PostWindowMessage(Ql5WindowHandle window, uint32_t message, uintptr_t firstParameter,
                             intptr_t secondParameter)
{
    WindowRegistry& registry = Registry();
    std::lock_guard lock(registry.mutex);
    if (message < kFirstMessage || message > kLastMessage ||
        !registry.windows.contains(ToHwnd(window)))
        return -1;
    return ::PostMessageW(ToHwnd(window), message, firstParameter, secondParameter) != 0 ? 0 : -1;
}

}  // extern "C"
