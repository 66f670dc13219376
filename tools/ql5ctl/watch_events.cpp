// SPDX-License-Identifier: Apache-2.0
#include "watch_events.h"

#include "listing_warnings.h"

#include <ql5common/inventory_formats.h>
#include <ql5common/json_text.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <sstream>

namespace ql5ctl {

using ql5common::ConverterView;

namespace {

constexpr std::array<const char*, kWatchedFields> kFieldNames = {
    "mac",       "ip",           "mask",          "gateway",  "dns",
    "dhcp",      "name",         "product",       "firmware", "serialLinkPort",
    "interface", "localAddress", "sourceAddress", "warnings",
};

// A hash of each field of the view, in kFieldNames' order.
std::array<std::uint64_t, kWatchedFields> FieldHashes(const ConverterView& view)
{
    const std::hash<std::string> text;
    std::uint64_t warnings = view.warnings.size();
    for (const std::string& key : view.warnings)
        warnings = warnings * 0x100000001B3ull ^ text(key);
    return {text(view.mac),           text(view.ip),
            text(view.mask),          text(view.gateway),
            text(view.dns),           view.dhcp ? 1u + static_cast<unsigned>(*view.dhcp) : 0u,
            text(view.name),          text(view.product),
            text(view.firmware),      view.serialLinkPort,
            text(view.interfaceName), text(view.localAddress),
            text(view.sourceAddress), warnings};
}

std::vector<std::string> ChangedFields(const std::array<std::uint64_t, kWatchedFields>& before,
                                       const std::array<std::uint64_t, kWatchedFields>& after)
{
    std::vector<std::string> changed;
    for (std::size_t i = 0; i < kWatchedFields; ++i) {
        if (before[i] != after[i])
            changed.emplace_back(kFieldNames[i]);
    }
    return changed;
}

}  // namespace

WatchEvents::WatchEvents(unsigned lostAfter, std::vector<ql5common::LocalNetwork> networks)
    : lostAfter_(lostAfter < 1 ? 1 : lostAfter), networks_(std::move(networks))
{
    // Room for every entry at once: growing by doubling would hold the old
    // and the new array at the peak of a flood, and pages that no entry
    // fills are never touched.
    entries_.reserve(kMaxEntries);
}

void WatchEvents::Heard(ConverterView view)
{
    const auto key = std::make_tuple(view.mac, view.localAddress, view.sourceAddress);
    auto at = index_.find(key);
    if (at == index_.end()) {
        if (entries_.size() >= kMaxEntries) {
            ++dropped_;
            return;
        }
        at = index_.emplace(key, entries_.size()).first;
        entries_.emplace_back();
    }
    Entry& entry = entries_[at->second];
    entry.heard = true;
    entry.silentRounds = 0;
    // The warnings are the listing's, not the reply's: keep them until the
    // next check, so that a repeated reply compares equal.
    view.warnings = entry.latest.warnings;
    if (entry.announced && view == entry.latest)
        return;  // a converter repeating itself changes nothing
    changedAddresses_.emplace(entry.latest.localAddress, entry.latest.ip);
    changedAddresses_.emplace(view.localAddress, view.ip);
    changedMacs_.insert(view.mac);
    entry.latest = std::move(view);
}

void WatchEvents::Changes(const WatchEventSink& sink)
{
    if (changedAddresses_.empty() && changedMacs_.empty())
        return;
    // The affected entries' addressing, not copies of their views: under a
    // flood they are the whole listing.
    std::vector<std::size_t> affected;
    std::vector<ql5common::ConverterAddressing> addressing;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const ConverterView& latest = entries_[i].latest;
        if (changedMacs_.count(latest.mac) != 0 ||
            changedAddresses_.count({latest.localAddress, latest.ip}) != 0) {
            affected.push_back(i);
            addressing.push_back(AddressingOf(latest));
        }
    }
    changedAddresses_.clear();
    changedMacs_.clear();
    const auto conflicts = ql5common::FindConflicts(addressing, networks_);
    addressing = {};

    for (std::size_t j = 0; j < affected.size(); ++j) {
        Entry& entry = entries_[affected[j]];
        std::vector<std::string>& keys = entry.latest.warnings;
        keys.clear();
        for (const ql5common::Conflict& conflict : conflicts[j]) {
            const std::string key(ql5common::ConflictKey(conflict.kind));
            if (std::find(keys.begin(), keys.end(), key) == keys.end())
                keys.push_back(key);
        }
        const auto hashes = FieldHashes(entry.latest);
        std::optional<WatchEvent> event;
        if (!entry.announced) {
            event = WatchEvent{WatchEventKind::kFound, std::move(entry.latest), {}};
            entry.announced = true;
        } else if (hashes != entry.shown) {
            event = WatchEvent{WatchEventKind::kChanged, std::move(entry.latest),
                               ChangedFields(entry.shown, hashes)};
        }
        entry.shown = hashes;
        // The event borrows the entry's view for the call, and gives it back.
        if (event) {
            sink(*event);
            entry.latest = std::move(event->view);
        }
    }
}

void WatchEvents::RoundEnded(std::vector<ql5common::LocalNetwork> networks,
                             const WatchEventSink& sink)
{
    networks_ = std::move(networks);
    index_.clear();
    // The entries that stay move up in place, so that no second array of
    // them is made.
    std::size_t kept = 0;
    for (Entry& entry : entries_) {
        if (!entry.heard && ++entry.silentRounds >= lostAfter_) {
            // Its neighbours may lose a warning with it.
            changedAddresses_.emplace(entry.latest.localAddress, entry.latest.ip);
            changedMacs_.insert(entry.latest.mac);
            sink({WatchEventKind::kLost, std::move(entry.latest), {}});
            continue;
        }
        entry.heard = false;
        index_.emplace(std::make_tuple(entry.latest.mac, entry.latest.localAddress,
                                       entry.latest.sourceAddress),
                       kept);
        if (&entries_[kept] != &entry)
            entries_[kept] = std::move(entry);
        ++kept;
    }
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(kept), entries_.end());
    Changes(sink);
}

std::string Rfc3339Utc(std::chrono::system_clock::time_point time)
{
    using namespace std::chrono;
    const auto ms = floor<milliseconds>(time);
    const auto day = floor<days>(ms);
    const year_month_day date(day);
    const hh_mm_ss clock(ms - day);
    char text[32];
    std::snprintf(
        text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", static_cast<int>(date.year()),
        static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
        static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
        static_cast<int>(clock.seconds().count()), static_cast<int>(clock.subseconds().count()));
    return text;
}

void WriteWatchEventLine(std::ostream& out, const WatchEvent& event,
                         std::chrono::system_clock::time_point time)
{
    static constexpr const char* kNames[] = {"found", "changed", "lost"};
    out << "{\"event\": \"" << kNames[static_cast<int>(event.kind)] << "\", \"time\": \""
        << Rfc3339Utc(time) << "\", ";
    if (event.kind == WatchEventKind::kChanged) {
        out << "\"changed\": [";
        for (std::size_t i = 0; i < event.changed.size(); ++i)
            out << (i > 0 ? ", " : "") << ql5common::JsonString(std::string_view(event.changed[i]));
        out << "], ";
    }
    // The converter's own object, without its opening brace, completes the
    // line, so that its fields are exactly those of `list --format json`.
    std::ostringstream converter;
    ql5common::WriteConverterJsonLine(converter, event.view);
    out << converter.str().substr(1);
}

}  // namespace ql5ctl
