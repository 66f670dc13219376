// SPDX-License-Identifier: Apache-2.0
// Message windows on Windows are real message-only windows: a post is a
// PostMessage, and the callback runs later on the window's own thread.
#include <ql5/discovery.h>

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

struct Call {
    std::uint32_t message;
    std::uintptr_t first;
    std::intptr_t second;
    std::thread::id thread;
};

// Records the calls; a closed gate holds every callback until it opens.
struct Recorder {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Call> calls;
    bool gateOpen = true;
    bool destroyInCallback = false;

    static void OnMessage(Ql5WindowHandle window, std::uint32_t message, std::uintptr_t first,
                          std::intptr_t second, void* self)
    {
        auto* recorder = static_cast<Recorder*>(self);
        std::unique_lock lock(recorder->mutex);
        recorder->changed.wait(lock, [&] { return recorder->gateOpen; });
        recorder->calls.push_back({message, first, second, std::this_thread::get_id()});
        const bool destroy = recorder->destroyInCallback;
        lock.unlock();
        recorder->changed.notify_all();
        if (destroy)
            Ql5DestroyMessageWindow(window);
    }

    bool WaitForCalls(std::size_t count)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, 10s, [&] { return calls.size() >= count; });
    }

    std::size_t Count()
    {
        std::lock_guard lock(mutex);
        return calls.size();
    }

    void SetGate(bool open)
    {
        {
            std::lock_guard lock(mutex);
            gateOpen = open;
        }
        changed.notify_all();
    }
};

HWND ToHwnd(Ql5WindowHandle window)
{
    return reinterpret_cast<HWND>(window);
}

}  // namespace

TEST(MessageWindow, IsAHiddenMessageOnlyWindow)
{
    Recorder recorder;
    Ql5WindowHandle window = Ql5CreateMessageWindow(&Recorder::OnMessage, &recorder);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Ql5IsMessageWindow(window), 1);
    EXPECT_TRUE(IsWindow(ToHwnd(window)));
    EXPECT_FALSE(IsWindowVisible(ToHwnd(window)));
    // Message-only windows are found only among the children of HWND_MESSAGE.
    EXPECT_EQ(FindWindowExW(HWND_MESSAGE, nullptr, L"Ql5DiscoveryMessageWindow", nullptr),
              ToHwnd(window));
    Ql5DestroyMessageWindow(window);
    EXPECT_FALSE(IsWindow(ToHwnd(window)));
    EXPECT_EQ(Ql5IsMessageWindow(window), 0);
}

TEST(MessageWindow, PostReachesTheCallbackOnTheWindowsThreadWithItsParameters)
{
    Recorder recorder;
    Ql5WindowHandle window = Ql5CreateMessageWindow(&Recorder::OnMessage, &recorder);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Ql5PostWindowMessage(window, 0x8001, 0, 0), 0);
    EXPECT_EQ(Ql5PostWindowMessage(window, 0x8002, 3, -7), 0);
    ASSERT_TRUE(recorder.WaitForCalls(2));
    Ql5DestroyMessageWindow(window);
    ASSERT_EQ(recorder.calls.size(), 2u);
    EXPECT_EQ(recorder.calls[0].message, 0x8001u);
    EXPECT_EQ(recorder.calls[1].message, 0x8002u);
    EXPECT_EQ(recorder.calls[1].first, 3u);
    EXPECT_EQ(recorder.calls[1].second, -7);
    EXPECT_NE(recorder.calls[0].thread, std::this_thread::get_id());
    EXPECT_EQ(recorder.calls[0].thread, recorder.calls[1].thread);
}

TEST(MessageWindow, PostDoesNotWaitForTheCallback)
{
    Recorder recorder;
    recorder.SetGate(false);
    Ql5WindowHandle window = Ql5CreateMessageWindow(&Recorder::OnMessage, &recorder);
    ASSERT_NE(window, nullptr);
    // The first callback is held at the gate; the posts return all the same.
    EXPECT_EQ(Ql5PostWindowMessage(window, 0x8002, 0, 1), 0);
    EXPECT_EQ(Ql5PostWindowMessage(window, 0x8002, 0, 2), 0);
    EXPECT_EQ(recorder.Count(), 0u);
    recorder.SetGate(true);
    ASSERT_TRUE(recorder.WaitForCalls(2));
    Ql5DestroyMessageWindow(window);
    EXPECT_EQ(recorder.calls[0].second, 1);
    EXPECT_EQ(recorder.calls[1].second, 2);
}

TEST(MessageWindow, RefusesNullCallbackUnknownHandlesAndSystemMessages)
{
    EXPECT_EQ(Ql5CreateMessageWindow(nullptr, nullptr), nullptr);
    EXPECT_EQ(Ql5IsMessageWindow(nullptr), 0);
    Ql5DestroyMessageWindow(nullptr);
    EXPECT_EQ(Ql5PostWindowMessage(nullptr, 0x8002, 0, 0), -1);

    Recorder recorder;
    Ql5WindowHandle window = Ql5CreateMessageWindow(&Recorder::OnMessage, &recorder);
    ASSERT_NE(window, nullptr);
    // A window that is not one of ours is no message window either.
    HWND desktop = GetDesktopWindow();
    EXPECT_EQ(Ql5IsMessageWindow(reinterpret_cast<Ql5WindowHandle>(desktop)), 0);
    // The system's own messages would close or confuse the window.
    EXPECT_EQ(Ql5PostWindowMessage(window, WM_CLOSE, 0, 0), -1);
    EXPECT_EQ(Ql5PostWindowMessage(window, WM_USER - 1, 0, 0), -1);
    EXPECT_EQ(Ql5PostWindowMessage(window, 0xC000, 0, 0), -1);
    EXPECT_EQ(Ql5PostWindowMessage(window, WM_USER, 0, 0), 0);
    ASSERT_TRUE(recorder.WaitForCalls(1));
    EXPECT_EQ(Ql5IsMessageWindow(window), 1);
    Ql5DestroyMessageWindow(window);
    EXPECT_EQ(recorder.Count(), 1u);
}

TEST(MessageWindow, NoCallbackRunsAfterDestroyReturns)
{
    Recorder recorder;
    Ql5WindowHandle window = Ql5CreateMessageWindow(&Recorder::OnMessage, &recorder);
    ASSERT_NE(window, nullptr);
    std::atomic<bool> stop{false};
    std::thread poster([&] {
        while (!stop)
            Ql5PostWindowMessage(window, 0x8002, 0, 0);
    });
    ASSERT_TRUE(recorder.WaitForCalls(10));
    Ql5DestroyMessageWindow(window);
    const std::size_t afterDestroy = recorder.Count();
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(recorder.Count(), afterDestroy);
    stop = true;
    poster.join();
    EXPECT_EQ(Ql5PostWindowMessage(window, 0x8002, 0, 0), -1);
}

TEST(MessageWindow, CallbackMayDestroyItsOwnWindow)
{
    Recorder recorder;
    recorder.destroyInCallback = true;
    Ql5WindowHandle window = Ql5CreateMessageWindow(&Recorder::OnMessage, &recorder);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Ql5PostWindowMessage(window, 0x8002, 0, 0), 0);
    ASSERT_TRUE(recorder.WaitForCalls(1));
    // The destroy runs on the window's thread just after the call is noted.
    for (int i = 0; i < 200 && Ql5IsMessageWindow(window) != 0; ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_EQ(Ql5IsMessageWindow(window), 0);
    EXPECT_EQ(Ql5PostWindowMessage(window, 0x8002, 0, 0), -1);
    EXPECT_EQ(recorder.Count(), 1u);
}

TEST(MessageWindow, DestroyedHandleStaysDeadWhenANewWindowIsMade)
{
    Recorder oldCalls, newCalls;
    Ql5WindowHandle old = Ql5CreateMessageWindow(&Recorder::OnMessage, &oldCalls);
    ASSERT_NE(old, nullptr);
    Ql5DestroyMessageWindow(old);
    Ql5WindowHandle fresh = Ql5CreateMessageWindow(&Recorder::OnMessage, &newCalls);
    ASSERT_NE(fresh, nullptr);

    EXPECT_NE(fresh, old);
    EXPECT_EQ(Ql5IsMessageWindow(old), 0);
    EXPECT_EQ(Ql5PostWindowMessage(old, 0x8002, 0, 0), -1);
    Ql5DestroyMessageWindow(old);  // must not destroy the new window
    EXPECT_EQ(Ql5PostWindowMessage(fresh, 0x8002, 0, 0), 0);
    ASSERT_TRUE(newCalls.WaitForCalls(1));
    Ql5DestroyMessageWindow(fresh);
    EXPECT_EQ(oldCalls.Count(), 0u);
}
