// SPDX-License-Identifier: Apache-2.0
#include "locked_list.h"

#include <new>

namespace ql5 {

LockedList::~LockedList()
{
    Clear();
}

LockedList* LockedList::Create() noexcept
{
    return new (std::nothrow) LockedList();
}

void LockedList::Destroy(LockedList* list) noexcept
{
    delete list;
}

void LockedList::Lock() const
{
    mutex_.lock();
}

void LockedList::Unlock() const
{
    mutex_.unlock();
}

std::int32_t LockedList::Add(Value value) noexcept
{
    std::lock_guard lock(mutex_);
    const auto before = static_cast<std::int32_t>(index_.size());
    Entry* entry = nullptr;
    try {
        auto [position, inserted] = index_.try_emplace(value);
        if (!inserted)
            return -1;
        entry = &*position;
    } catch (const std::bad_alloc&) {
        return -1;
    }
    entry->second.previous = tail_;
    if (tail_ != nullptr)
        tail_->second.next = entry;
    else
        head_ = entry;
    tail_ = entry;
    return before;
}

void LockedList::Unlink(Entry& entry) noexcept
{
    Links& links = entry.second;
    if (links.previous != nullptr)
        links.previous->second.next = links.next;
    else
        head_ = links.next;
    if (links.next != nullptr)
        links.next->second.previous = links.previous;
    else
        tail_ = links.previous;
}

LockedList::Value LockedList::PopHead() noexcept
{
    std::lock_guard lock(mutex_);
    if (head_ == nullptr)
        return 0;
    const Value value = head_->first;
    Unlink(*head_);
    index_.erase(value);
    return value;
}

void LockedList::Remove(Value value) noexcept
{
    std::lock_guard lock(mutex_);
    const auto position = index_.find(value);
    if (position == index_.end())
        return;
    Unlink(*position);
    index_.erase(position);
}

bool LockedList::Contains(Value value) const noexcept
{
    std::lock_guard lock(mutex_);
    return index_.contains(value);
}

std::int32_t LockedList::Count() const noexcept
{
    std::lock_guard lock(mutex_);
    return static_cast<std::int32_t>(index_.size());
}

LockedList::Value LockedList::ValueAt(std::int32_t index) const noexcept
{
    if (index < 0)
        return 0;
    std::lock_guard lock(mutex_);
    if (index >= Count())
        return 0;
    const Entry* entry = head_;
    for (std::int32_t step = 0; step < index && entry != nullptr; ++step)
        entry = entry->second.next;
    return entry != nullptr ? entry->first : 0;
}

LockedList::Value LockedList::FindFirst(Predicate predicate, const void* key) const noexcept
{
    if (predicate == nullptr)
        return 0;
    std::lock_guard lock(mutex_);
    for (const Entry* entry = head_; entry != nullptr; entry = entry->second.next) {
        if (predicate(key, entry->first) == 0)
            return entry->first;
    }
    return 0;
}

void LockedList::Clear() noexcept
{
    std::lock_guard lock(mutex_);
    index_.clear();
    head_ = nullptr;
    tail_ = nullptr;
}

}  // namespace ql5
