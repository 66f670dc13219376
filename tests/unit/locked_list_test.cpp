// SPDX-License-Identifier: Apache-2.0
#include "locked_list.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using ql5::LockedList;

namespace {

std::vector<LockedList::Value> ForwardValues(const LockedList& list)
{
    std::vector<LockedList::Value> values;
    for (std::int32_t i = 0; i < list.Count(); ++i)
        values.push_back(list.ValueAt(i));
    return values;
}

// Walks the list through its own operations only: PopHead gives the order from
// the head, and re-adding restores the list.
std::vector<LockedList::Value> DrainAndRestore(LockedList& list)
{
    std::vector<LockedList::Value> values;
    while (list.Count() > 0)
        values.push_back(list.PopHead());
    for (auto value : values)
        list.Add(value);
    return values;
}

}  // namespace

TEST(LockedList, AddReturnsIndexAndRefusesDuplicates)
{
    LockedList list;
    EXPECT_EQ(list.Add(10), 0);
    EXPECT_EQ(list.Add(20), 1);
    EXPECT_EQ(list.Add(10), -1);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(ForwardValues(list), (std::vector<LockedList::Value>{10, 20}));
}

TEST(LockedList, PopHeadGivesOldestAndZeroWhenEmpty)
{
    LockedList list;
    EXPECT_EQ(list.PopHead(), 0u);
    EXPECT_EQ(list.Count(), 0);
    list.Add(7);
    list.Add(8);
    EXPECT_EQ(list.PopHead(), 7u);
    EXPECT_EQ(list.PopHead(), 8u);
    EXPECT_EQ(list.PopHead(), 0u);
    EXPECT_EQ(list.Count(), 0);
    // The emptied list links correctly again.
    EXPECT_EQ(list.Add(9), 0);
    EXPECT_EQ(list.ValueAt(0), 9u);
}

TEST(LockedList, RemoveKeepsOrderFromEveryPosition)
{
    struct Case {
        LockedList::Value removed;
        std::vector<LockedList::Value> left;
    };
    const Case cases[] = {
        {1, {2, 3, 4}},      // head
        {4, {1, 2, 3}},      // tail
        {2, {1, 3, 4}},      // middle
        {99, {1, 2, 3, 4}},  // absent
    };
    for (const Case& c : cases) {
        LockedList list;
        for (LockedList::Value v : {1, 2, 3, 4})
            list.Add(v);
        list.Remove(c.removed);
        EXPECT_EQ(DrainAndRestore(list), c.left) << "removing " << c.removed;
        // Appending after the removal lands at the end of the chain.
        list.Add(5);
        EXPECT_EQ(list.ValueAt(list.Count() - 1), 5u);
        EXPECT_EQ(list.ValueAt(0), c.left.front());
    }
    LockedList single;
    single.Add(42);
    single.Remove(42);
    EXPECT_EQ(single.Count(), 0);
    EXPECT_EQ(single.PopHead(), 0u);
    EXPECT_EQ(single.Add(43), 0);
    EXPECT_EQ(single.PopHead(), 43u);
}

TEST(LockedList, RemovedValueCanBeAddedAgainAtTheEnd)
{
    LockedList list;
    for (LockedList::Value v : {1, 2, 3})
        list.Add(v);
    list.Remove(1);
    EXPECT_FALSE(list.Contains(1));
    EXPECT_EQ(list.Add(1), 2);
    EXPECT_EQ(ForwardValues(list), (std::vector<LockedList::Value>{2, 3, 1}));
}

TEST(LockedList, ValueAtOutOfRangeGivesZero)
{
    LockedList list;
    EXPECT_EQ(list.ValueAt(0), 0u);
    list.Add(5);
    list.Add(6);
    EXPECT_EQ(list.ValueAt(-1), 0u);
    EXPECT_EQ(list.ValueAt(2), 0u);
    EXPECT_EQ(list.ValueAt(0), 5u);
    EXPECT_EQ(list.ValueAt(1), 6u);
}

TEST(LockedList, FindFirstGivesOldestMatch)
{
    LockedList list;
    for (LockedList::Value v : {3, 10, 12, 20})
        list.Add(v);
    const LockedList::Value threshold = 10;
    auto atLeast = [](const void* key, LockedList::Value value) -> std::int32_t {
        return value >= *static_cast<const LockedList::Value*>(key) ? 0 : 1;
    };
    EXPECT_EQ(list.FindFirst(atLeast, &threshold), 10u);
    EXPECT_EQ(list.FindFirst(nullptr, &threshold), 0u);
    const LockedList::Value tooHigh = 100;
    EXPECT_EQ(list.FindFirst(atLeast, &tooHigh), 0u);
}

TEST(LockedList, ClearDropsValuesWithoutFreeingThem)
{
    int pointee = 17;
    LockedList list;
    list.Add(reinterpret_cast<LockedList::Value>(&pointee));
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(pointee, 17);
}

TEST(LockedList, NestedOperationsUnderHeldLockDoNotBlock)
{
    LockedList list;
    list.Lock();
    list.Lock();
    EXPECT_EQ(list.Add(1), 0);
    EXPECT_TRUE(list.Contains(1));
    list.Remove(1);
    EXPECT_EQ(list.Count(), 0);
    list.Unlock();
    list.Unlock();
}

TEST(LockedList, PredicateMayUseTheListItAsks)
{
    // The predicate runs under the lock; re-entrance lets it read the list.
    LockedList list;
    list.Add(1);
    list.Add(2);
    auto isLast = [](const void* key, LockedList::Value value) -> std::int32_t {
        const auto* self = static_cast<const LockedList*>(key);
        return self->ValueAt(self->Count() - 1) == value ? 0 : 1;
    };
    EXPECT_EQ(list.FindFirst(isLast, &list), 2u);
}

TEST(LockedList, HeldLockKeepsOtherThreadsOut)
{
    LockedList list;
    std::atomic<bool> added{false};
    list.Lock();
    std::thread other([&] {
        list.Add(1);
        added = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(added.load());
    list.Unlock();
    other.join();
    EXPECT_TRUE(added.load());
}

TEST(LockedList, ConcurrentAddsAndPopsLoseNothing)
{
    LockedList list;
    constexpr int kPerThread = 5000;
    std::atomic<long> popped{0};
    std::atomic<int> poppedCount{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 1; i <= kPerThread; ++i)
                list.Add(static_cast<LockedList::Value>(t * kPerThread + i));
        });
    }
    std::thread consumer([&] {
        while (poppedCount < 3 * kPerThread) {
            if (auto value = list.PopHead()) {
                popped += static_cast<long>(value);
                ++poppedCount;
            }
        }
    });
    for (auto& thread : threads)
        thread.join();
    consumer.join();
    const long n = 3 * kPerThread;
    EXPECT_EQ(popped.load(), n * (n + 1) / 2);
    EXPECT_EQ(list.Count(), 0);
}

TEST(LockedList, CreateAndDestroyHeapList)
{
    LockedList* list = LockedList::Create();
    ASSERT_NE(list, nullptr);
    list->Add(1);
    LockedList::Destroy(list);
    LockedList::Destroy(nullptr);
}
