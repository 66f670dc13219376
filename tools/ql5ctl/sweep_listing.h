// SPDX-License-Identifier: Apache-2.0
// `list`: one background sweep of a fixed length.
#pragma once

#include <ql5common/converter_key.h>
#include <ql5common/converter_view.h>

#include <ql5/discovery.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

namespace ql5ctl {

using ql5common::ConverterView;
using ql5common::MakeConverterView;

// The converters a listing shows: one entry per (MAC, local address, source), holding
// the latest reply, in the order in which each was first heard. A converter
// that repeats its reply, or a host that floods copies, adds nothing; at most
// `limit` entries are kept and what would add one more is counted as dropped.
// Each entry is kept as the view that will be shown, which takes less than
// half the memory of the 1144-byte record it is made from: under a flood the
// full listing waits beside the client's own queue.
class LatestReplies {
public:
    // Gives the name of the interface that holds a local address (network
    // order), or "".
    using InterfaceNamer = std::function<std::string(std::uint32_t)>;

    explicit LatestReplies(InterfaceNamer interfaceName,
                           std::size_t limit = QL5_MAX_PENDING_RECORDS);

    // `source`: the address the reply came from (ReadDevicesFrom), 0 if
    // unknown; two sources of one MAC stay two entries.
    void Take(const DeviceRecordExchange& record, std::uint32_t source = 0);
    const std::vector<ConverterView>& Views() const { return views_; }
    std::int64_t Dropped() const { return dropped_; }
    // Hands the entries over, leaving this empty.
    std::vector<ConverterView> TakeViews();

private:
    InterfaceNamer interfaceName_;
    std::size_t limit_;
    // Room for `limit` views is reserved at once, so the vector never moves
    // what it holds; only the pages that entries fill are ever touched.
    std::vector<ConverterView> views_;
    std::unordered_map<ql5common::ConverterKey, std::size_t, ql5common::ConverterKeyHash>
        index_;  // entry of each key
    std::int64_t dropped_ = 0;
};

struct SweepListing {
    std::vector<ConverterView> views;
    // Replies that were not listed because the client's queue or this
    // listing was full.
    std::int64_t dropped = 0;
};

// Why no sweep took place: the client's own reason (its status text), or none
// when the client could not even be started.
struct SweepFailure {
    std::string reason;
};

// Runs a sweep for `length` and returns what it heard, each converter shown
// with the name that `interfaceName` gives its local address. The sweep also
// asks each of `hosts` (network order) by unicast.
std::variant<SweepListing, SweepFailure> SweepFor(
    std::chrono::milliseconds length, const LatestReplies::InterfaceNamer& interfaceName,
    const std::vector<std::uint32_t>& hosts = {});

// Where the next round of a watch begins in a list of `count` --host
// addresses, after a round that began at `offset` and lasted `seconds`: a low
// estimate of how far the client got at its pace, so that no address is
// skipped (a few may be asked twice).
std::size_t NextHostOffset(std::size_t offset, double seconds, std::size_t count);

// Runs sweeps back to back, each `round` long (a sweep asks once, so a new
// round is what asks converters again), and hands every record, with the
// address its reply came from, to `take` as soon as it is read, then calls `drained` once for what
// was read together, until `stopped` returns true; that is checked at least every 200 ms.
// `roundEnded`, if given, is called after each round. Returns the reason when
// no sweep could start.
std::optional<SweepFailure> SweepRepeatedly(
    std::chrono::milliseconds round,
    const std::function<void(const DeviceRecordExchange&, std::uint32_t)>& take,
    const std::function<void()>& drained, const std::function<bool()>& stopped,
    const std::vector<std::uint32_t>& hosts = {}, const std::function<void()>& roundEnded = {});

}  // namespace ql5ctl
