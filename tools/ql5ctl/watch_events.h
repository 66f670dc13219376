// SPDX-License-Identifier: Apache-2.0
// The events of `list --watch`, for log pipelines that route them without
// guessing: a converter is "found" when first heard (or heard again after it
// was lost), "changed" when it reports something new, with the names of the
// fields that changed, and "lost" when it has not answered for a number of
// rounds in a row. Conflict warnings are rechecked across the whole listing,
// so a newcomer with a duplicate address changes the converter it collides
// with too. A lost converter is forgotten, so the watch holds only what is
// present. Of what was last printed it keeps a hash of each field, not a
// copy, and it hands its events out one at a time: under a flood of forged
// replies the views are the bulk of its memory.
#pragma once

#include <ql5common/conflicts.h>
#include <ql5common/converter_view.h>

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace ql5ctl {

enum class WatchEventKind { kFound, kChanged, kLost };

struct WatchEvent {
    WatchEventKind kind;
    ql5common::ConverterView view;     // as now, or as last heard when lost
    std::vector<std::string> changed;  // kChanged: the JSON names of the fields
};

// Takes each event as it is made; the event lives only for the call.
using WatchEventSink = std::function<void(const WatchEvent&)>;

// The number of fields a watch compares, in the order the JSON object has
// them.
inline constexpr std::size_t kWatchedFields = 14;

class WatchEvents {
public:
    // `lostAfter` is the number of silent rounds in a row that make a
    // converter lost, at least 1; `networks` are this computer's own.
    WatchEvents(unsigned lostAfter, std::vector<ql5common::LocalNetwork> networks);

    // A reply heard in the current round; its warnings are set by Changes().
    void Heard(ql5common::ConverterView view);

    // The found and changed events since the last call, warnings rechecked.
    void Changes(const WatchEventSink& sink);

    // Closes a round: converters silent for `lostAfter` rounds are lost, and
    // the warnings of the rest are rechecked without them. `networks` are this
    // computer's networks for the next round (an interface may have come or
    // gone).
    void RoundEnded(std::vector<ql5common::LocalNetwork> networks, const WatchEventSink& sink);

    // The most converters a watch keeps, as a listing does: replies of
    // others are dropped and counted, so a flood of forged MACs cannot grow
    // the watch without end.
    static constexpr std::size_t kMaxEntries = 32768;
    // Replies dropped because kMaxEntries converters were kept already.
    std::int64_t Dropped() const { return dropped_; }

private:
    struct Entry {
        ql5common::ConverterView latest;
        // A hash of each field as last printed: enough to name the fields
        // that changed, at a fraction of a second view's size.
        std::array<std::uint64_t, kWatchedFields> shown{};
        bool announced = false;  // a "found" has been printed
        bool heard = false;      // answered in the current round
        unsigned silentRounds = 0;
    };

    unsigned lostAfter_;
    std::vector<ql5common::LocalNetwork> networks_;
    std::vector<Entry> entries_;  // in first-heard order
    // (MAC, local address, source address): two hosts answering for one MAC
    // are two entries, each with its warning.
    std::map<std::tuple<std::string, std::string, std::string>, std::size_t> index_;
    // What changed since the last check: only the entries that share a
    // (local address, IP) or a MAC with it can gain or lose a warning, so
    // only they are checked again, and a round of repeated replies costs no
    // check at all.
    std::set<std::pair<std::string, std::string>> changedAddresses_;
    std::set<std::string> changedMacs_;
    std::int64_t dropped_ = 0;
};

// "2026-12-08T14:05:01.123Z": RFC 3339 in UTC, with milliseconds.
std::string Rfc3339Utc(std::chrono::system_clock::time_point time);

// One event as one JSON line: "event" and "time" first, "changed" for a
// change, then every field of the converter as `list --format json` has it.
void WriteWatchEventLine(std::ostream& out, const WatchEvent& event,
                         std::chrono::system_clock::time_point time);

}  // namespace ql5ctl
