// `list`: one background sweep of a fixed length.
#pragma once

#include <ql5/discovery.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <unordered_map>
#include <variant>

namespace ql5ctl {

// The converters a listing shows: one entry per (MAC, local address), holding
// the latest reply, in the order in which each was first heard. A converter
// that repeats its reply, or a host that floods copies, adds nothing; at most
// `limit` entries are kept and what would add one more is counted as dropped.
class LatestReplies {
public:
    explicit LatestReplies(std::size_t limit = QL5_MAX_PENDING_RECORDS) : limit_(limit) {}

    void Take(const DeviceRecordExchange& record);
    const std::deque<DeviceRecordExchange>& Records() const { return records_; }
    std::int64_t Dropped() const { return dropped_; }
    // Hands the entries over, leaving this empty.
    std::deque<DeviceRecordExchange> TakeRecords();

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

    std::size_t limit_;
    // A deque grows without copying what it holds, and gives its memory back
    // piece by piece as the entries are taken from its front.
    std::deque<DeviceRecordExchange> records_;
    std::unordered_map<Key, std::size_t, KeyHash> index_;  // entry of each key
    std::int64_t dropped_ = 0;
};

struct SweepListing {
    std::deque<DeviceRecordExchange> records;
    // Replies that were not listed because the client's queue or this
    // listing was full.
    std::int64_t dropped = 0;
};

// Why no sweep took place: the client's own reason (its status text), or none
// when the client could not even be started.
struct SweepFailure {
    std::string reason;
};

// Runs a sweep for `length` and returns what it heard.
std::variant<SweepListing, SweepFailure> SweepFor(std::chrono::milliseconds length);

}  // namespace ql5ctl
