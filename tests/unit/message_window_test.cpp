// SPDX-License-Identifier: Apache-2.0
#include <ql5/discovery.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

struct Received {
    std::atomic<int> count{0};
    uint32_t message = 0;
    uintptr_t first = 0;
    intptr_t second = 0;
};

void Record(Ql5WindowHandle, uint32_t message, uintptr_t first, intptr_t second, void* user)
{
    auto* received = static_cast<Received*>(user);
    received->message = message;
    received->first = first;
    received->second = second;
    ++received->count;
}

}  // namespace

TEST(MessageWindow, PostCallsTheCallbackWithItsParameters)
{
    Received received;
    Ql5WindowHandle window = Ql5CreateMessageWindow(Record, &received);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Ql5IsMessageWindow(window), 1);
    EXPECT_EQ(Ql5PostWindowMessage(window, 0x8002, 0, -7), 0);
    EXPECT_EQ(received.count, 1);
    EXPECT_EQ(received.message, 0x8002u);
    EXPECT_EQ(received.first, 0u);
    EXPECT_EQ(received.second, -7);
    Ql5DestroyMessageWindow(window);
    EXPECT_EQ(Ql5IsMessageWindow(window), 0);
    EXPECT_EQ(Ql5PostWindowMessage(window, 1, 0, 0), -1);
    EXPECT_EQ(received.count, 1);
}

TEST(MessageWindow, RefusesNullCallbackAndUnknownHandles)
{
    EXPECT_EQ(Ql5CreateMessageWindow(nullptr, nullptr), nullptr);
    EXPECT_EQ(Ql5IsMessageWindow(nullptr), 0);
    Ql5DestroyMessageWindow(nullptr);
    EXPECT_EQ(Ql5PostWindowMessage(nullptr, 1, 0, 0), -1);
}

TEST(MessageWindow, NoCallbackRunsAfterDestroyReturns)
{
    Received received;
    Ql5WindowHandle window = Ql5CreateMessageWindow(Record, &received);
    std::atomic<bool> stop{false};
    std::thread poster([&] {
        while (!stop)
            Ql5PostWindowMessage(window, 1, 0, 0);
    });
    while (received.count < 10)
        std::this_thread::yield();
    Ql5DestroyMessageWindow(window);
    const int afterDestroy = received.count;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(received.count, afterDestroy);
    stop = true;
    poster.join();
}

TEST(MessageWindow, DestroyedHandleStaysDeadWhenANewWindowIsMade)
{
    int oldCalls = 0, newCalls = 0;
    const auto count = [](Ql5WindowHandle, uint32_t, uintptr_t, intptr_t, void* calls) {
        ++*static_cast<int*>(calls);
    };
    Ql5WindowHandle old = Ql5CreateMessageWindow(count, &oldCalls);
    ASSERT_NE(old, nullptr);
    Ql5DestroyMessageWindow(old);
    Ql5WindowHandle fresh = Ql5CreateMessageWindow(count, &newCalls);
    ASSERT_NE(fresh, nullptr);

    EXPECT_NE(fresh, old);
    EXPECT_EQ(Ql5IsMessageWindow(old), 0);
    EXPECT_EQ(Ql5PostWindowMessage(old, 1, 0, 0), -1);
    Ql5DestroyMessageWindow(old);  // must not destroy the new window
    EXPECT_EQ(Ql5PostWindowMessage(fresh, 1, 0, 0), 0);
    EXPECT_EQ(newCalls, 1);
    EXPECT_EQ(oldCalls, 0);
    Ql5DestroyMessageWindow(fresh);
}
