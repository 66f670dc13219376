// SPDX-License-Identifier: Apache-2.0
// The queue of decoded replies that a sweep hands to its caller. It holds at
// most one record per (MAC, local address): a newer reply from the same
// converter on the same network replaces the waiting record in place, so a
// converter that repeats itself, or a host that floods the network with
// copies, cannot grow the queue. At most QL5_MAX_PENDING_RECORDS distinct
// records wait; a reply that would add one more is dropped and counted.
//
// The queue also keeps spare records for the sweep to decode into: enough for
// a fleet of a thousand converters that answer at once are made with the
// queue, and a record that has been read becomes a spare again. A burst of
// replies is then decoded into memory that is already there, instead of into
// records allocated on the sweep thread reply by reply: a fresh page costs a
// page fault, which on a virtual machine can take as long as receiving and
// decoding the replies it holds.
//
// Every operation holds the queue's own lock for its duration: the sweep
// thread offers, the caller's thread counts, reads and clears.
#pragma once

#include "device_record.h"

#include <ql5common/converter_key.h>

#include <cstdint>
#include <deque>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace ql5 {

class ReplyQueue {
public:
    ReplyQueue() = default;
    ~ReplyQueue();
    ReplyQueue(const ReplyQueue&) = delete;
    ReplyQueue& operator=(const ReplyQueue&) = delete;

    // A heap queue with kMaxSpareRecords spares of the context's, or null
    // when memory is exhausted.
    static ReplyQueue* Create(const DiscoveryContext* context) noexcept;
    // Frees the queue and every record in it; null is ignored.
    static void Destroy(ReplyQueue* queue) noexcept;

    // The spare records made with the queue, and the most it keeps: about
    // 1.5 MB, a thousand converters' replies and four cycles of the sweep.
    static constexpr std::size_t kMaxSpareRecords = 1024;

    // Takes the record. Returns a record that the caller must now free or
    // reuse: the waiting record it replaced, the offered one itself when it
    // was dropped, or, when the record joined the end of the queue, a spare
    // (null when none waits).
    DeviceRecord* Offer(DeviceRecord* record) noexcept;
    // Copies the oldest record's exchange part to `output` and removes the
    // record, which becomes a spare; false when the queue is empty. With
    // `source`, the address the reply came from is stored there.
    bool ReadHead(DeviceRecordExchange* output, std::uint32_t* source = nullptr) noexcept;
    // As ReadHead for the oldest records, at most `count` and kRecordsPerLock,
    // with one taking of the lock; `sources` may be null. Returns how many
    // were read.
    std::size_t ReadHeads(DeviceRecordExchange* output, std::uint32_t* sources,
                          std::size_t count) noexcept;
    // The most records that one ReadHeads copies while it holds the lock, so
    // that the sweep never waits long to offer the next reply.
    static constexpr std::size_t kRecordsPerLock = 64;
    // A spare record, which the caller then owns; null when none is left.
    DeviceRecord* TakeSpare() noexcept;
    // Keeps the record as a spare, or frees it when kMaxSpareRecords wait
    // already; null is ignored.
    void Spare(DeviceRecord* record) noexcept;
    std::int32_t Count() const noexcept;
    // Frees every waiting record and sets the count of dropped replies to 0;
    // the spares stay.
    void Clear() noexcept;
    // Replies dropped since the last Clear.
    std::int64_t Dropped() const noexcept;

private:
    mutable std::mutex mutex_;
    // Oldest first. A deque keeps the address of every element while others
    // are added at its end or taken from its front, so the index below may
    // point into it.
    std::deque<DeviceRecord*> order_;
    std::unordered_map<ql5common::ConverterKey, DeviceRecord**, ql5common::ConverterKeyHash> slots_;
    std::int64_t dropped_ = 0;
    // Room for kMaxSpareRecords is reserved when the queue is made, so that
    // keeping a spare never allocates.
    std::vector<DeviceRecord*> spares_;
};

}  // namespace ql5
