// SPDX-License-Identifier: Apache-2.0
// LockedList: the discovery client's one container. An insertion-ordered set of
// pointer-wide values that any thread may use; every operation holds the
// list's own re-entrant lock for its whole duration. It carries the lists of
// local addresses that the sweep and the requests open their sockets on; the
// registry of contexts, the reply queue and a record's code-231 words keep
// containers of their own. The list never frees what its values point to.
//
// Beside the chain of entries the list keeps a hash index, so Add, Contains and
// Remove take constant time on average; order and results are those of a plain
// chain walked from its head.
#pragma once

#include <cstdint>
#include <mutex>
#include <unordered_map>
#include <utility>

namespace ql5 {

class LockedList {
public:
    using Value = std::uintptr_t;
    // Answers 0 when the value matches the key, in the manner of a comparison.
    using Predicate = std::int32_t (*)(const void* key, Value value);

    LockedList() = default;
    ~LockedList();
    LockedList(const LockedList&) = delete;
    LockedList& operator=(const LockedList&) = delete;

    // A heap list, or null when memory is exhausted.
    static LockedList* Create() noexcept;
    // Drops the values and frees a list made by Create; null is ignored.
    static void Destroy(LockedList* list) noexcept;

    // Holds the list's lock across several operations of the calling thread.
    void Lock() const;
    void Unlock() const;

    // Appends a value not yet present; returns its 0-based index, or -1 when the
    // value is already present or memory is exhausted.
    std::int32_t Add(Value value) noexcept;
    // Removes and returns the oldest value; 0 when the list is empty.
    Value PopHead() noexcept;
    // Removes a value; an absent value changes nothing.
    void Remove(Value value) noexcept;
    [[nodiscard]] bool Contains(Value value) const noexcept;
    std::int32_t Count() const noexcept;
    // The value at a 0-based index, or 0 when the index is out of range.
    Value ValueAt(std::int32_t index) const noexcept;
    // The oldest value for which the predicate answers 0, or 0. The predicate
    // runs under the list's lock.
    Value FindFirst(Predicate predicate, const void* key) const noexcept;
    // Drops every value (without freeing what they point to).
    void Clear() noexcept;

private:
    struct Links;
    using Entry = std::pair<const Value, Links>;
    struct Links {
        Entry* previous = nullptr;
        Entry* next = nullptr;
    };

    void Unlink(Entry& entry) noexcept;

    // Re-entrant: an operation such as Add calls Contains while it already
    // holds the list's lock.
    mutable std::recursive_mutex mutex_;
    // Entries live in the index; the links chain them in insertion order.
    // Elements of an unordered_map keep their address across rehashing.
    std::unordered_map<Value, Links> index_;
    Entry* head_ = nullptr;
    Entry* tail_ = nullptr;
};

}  // namespace ql5
