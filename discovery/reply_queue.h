// SPDX-License-Identifier: Apache-2.0
// The queue of decoded replies that a sweep hands to its caller. It holds at
// most one record per (MAC, local address): a newer reply from the same
// converter on the same network replaces the waiting record in place, so a
// converter that repeats itself, or a host that floods the network with
// copies, cannot grow the queue. At most QL5_MAX_PENDING_RECORDS distinct
// records wait; a reply that would add one more is dropped and counted.
//
// Every operation holds the queue's own lock for its duration: the sweep
// thread offers, the caller's thread counts, pops and clears.
#pragma once

#include "device_record.h"

#include <cstdint>
#include <deque>
#include <mutex>
#include <unordered_map>

namespace ql5 {

class ReplyQueue {
public:
    ReplyQueue() = default;
    ~ReplyQueue();
    ReplyQueue(const ReplyQueue&) = delete;
    ReplyQueue& operator=(const ReplyQueue&) = delete;

    // A heap queue, or null when memory is exhausted.
    static ReplyQueue* Create() noexcept;
    // Frees the queue and every record in it; null is ignored.
    static void Destroy(ReplyQueue* queue) noexcept;

    // Takes the record. Returns the record that the caller must now free (or
    // may reuse): the waiting record it replaced, or the offered one itself
    // when it was dropped; null when the record joined the end of the queue.
    DeviceRecord* Offer(DeviceRecord* record) noexcept;
    // Removes and returns the oldest record, which the caller then owns; null
    // when the queue is empty.
    DeviceRecord* PopHead() noexcept;
    std::int32_t Count() const noexcept;
    // Frees every waiting record and sets the count of dropped replies to 0.
    void Clear() noexcept;
    // Replies dropped since the last Clear.
    std::int64_t Dropped() const noexcept;

private:
    // A MAC in the low 48 bits and the local address it answered on.
    struct Key {
        std::uint64_t mac;
        std::uint32_t localAddress;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& key) const noexcept;
    };
    static Key KeyOf(const DeviceRecord& record) noexcept;

    mutable std::mutex mutex_;
    // Oldest first. A deque keeps the address of every element while others
    // are added at its end or taken from its front, so the index below may
    // point into it.
    std::deque<DeviceRecord*> order_;
    std::unordered_map<Key, DeviceRecord**, KeyHash> slots_;
    std::int64_t dropped_ = 0;
};

}  // namespace ql5
