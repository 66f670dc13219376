// SPDX-License-Identifier: Apache-2.0
#include "reply_queue.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

namespace ql5 {

ReplyQueue::~ReplyQueue()
{
    Clear();
    for (DeviceRecord* spare : spares_)
        FreeDeviceRecord(spare);
}

ReplyQueue* ReplyQueue::Create(const DiscoveryContext* context) noexcept
{
    try {
        auto queue = std::make_unique<ReplyQueue>();
        queue->spares_.reserve(kMaxSpareRecords);
        // NewDeviceRecord writes the whole record, so its pages are in memory
        // before the first reply needs them.
        while (queue->spares_.size() < kMaxSpareRecords) {
            DeviceRecord* record = NewDeviceRecord(context);
            if (record == nullptr)
                return nullptr;
            queue->spares_.push_back(record);
        }
        return queue.release();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void ReplyQueue::Destroy(ReplyQueue* queue) noexcept
{
    delete queue;
}

DeviceRecord* ReplyQueue::Offer(DeviceRecord* record) noexcept
{
    if (record == nullptr)
        return nullptr;
    const auto key = ql5common::ConverterKey::Of(record->exchange, record->sourceAddress);
    std::lock_guard lock(mutex_);
    if (order_.size() >= QL5_MAX_PENDING_RECORDS) {
        const auto found = slots_.find(key);
        if (found == slots_.end()) {
            ++dropped_;
            return record;
        }
        return std::exchange(*found->second, record);
    }
    // One lookup serves both cases: a converter already waiting, or a new one.
    try {
        const auto [slot, added] = slots_.try_emplace(key, nullptr);
        if (!added)
            return std::exchange(*slot->second, record);
        try {
            order_.push_back(record);
        } catch (const std::bad_alloc&) {
            slots_.erase(slot);
            throw;
        }
        slot->second = &order_.back();
    } catch (const std::bad_alloc&) {
        ++dropped_;
        return record;
    }
    if (spares_.empty())
        return nullptr;
    DeviceRecord* spare = spares_.back();
    spares_.pop_back();
    return spare;
}

bool ReplyQueue::ReadHead(DeviceRecordExchange* output, std::uint32_t* source) noexcept
{
    return ReadHeads(output, source, 1) == 1;
}

std::size_t ReplyQueue::ReadHeads(DeviceRecordExchange* output, std::uint32_t* sources,
                                  std::size_t count) noexcept
{
    // Records beyond the spares' room are freed once the lock is released.
    std::array<DeviceRecord*, kRecordsPerLock> freed{};
    std::size_t freeing = 0;
    std::size_t read = 0;
    {
        std::lock_guard lock(mutex_);
        for (const std::size_t most = std::min(count, kRecordsPerLock);
             read < most && !order_.empty(); ++read) {
            DeviceRecord* record = order_.front();
            std::memcpy(&output[read], &record->exchange, sizeof(DeviceRecordExchange));
            if (sources != nullptr)
                sources[read] = record->sourceAddress;
            const auto found =
                slots_.find(ql5common::ConverterKey::Of(record->exchange, record->sourceAddress));
            if (found != slots_.end() && found->second == &order_.front())
                slots_.erase(found);
            order_.pop_front();
            if (spares_.size() < kMaxSpareRecords)
                spares_.push_back(record);
            else
                freed[freeing++] = record;
        }
    }
    for (std::size_t i = 0; i < freeing; ++i)
        FreeDeviceRecord(freed[i]);
    return read;
}

DeviceRecord* ReplyQueue::TakeSpare() noexcept
{
    std::lock_guard lock(mutex_);
    if (spares_.empty())
        return nullptr;
    DeviceRecord* spare = spares_.back();
    spares_.pop_back();
    return spare;
}

void ReplyQueue::Spare(DeviceRecord* record) noexcept
{
    if (record == nullptr)
        return;
    {
        std::lock_guard lock(mutex_);
        if (spares_.size() < kMaxSpareRecords) {
            spares_.push_back(record);
            return;
        }
    }
    FreeDeviceRecord(record);
}

std::int32_t ReplyQueue::Count() const noexcept
{
    std::lock_guard lock(mutex_);
    return static_cast<std::int32_t>(order_.size());
}

void ReplyQueue::Clear() noexcept
{
    std::lock_guard lock(mutex_);
    for (DeviceRecord* record : order_)
        FreeDeviceRecord(record);
    order_.clear();
    slots_.clear();
    dropped_ = 0;
}

std::int64_t ReplyQueue::Dropped() const noexcept
{
    std::lock_guard lock(mutex_);
    return dropped_;
}

}  // namespace ql5
