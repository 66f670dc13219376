// SPDX-License-Identifier: Apache-2.0
#include "watch_events.h"

#include "listing_warnings.h"

#include <ql5common/inventory_formats.h>
#include <ql5common/json_text.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace ql5ctl {

using ql5common::ConverterView;

std::vector<std::string> ChangedFields(const ConverterView& before, const ConverterView& after)
{
    const std::pair<const char*, bool> fields[] = {
        {"mac", before.mac != after.mac},
        {"ip", before.ip != after.ip},
        {"mask", before.mask != after.mask},
        {"gateway", before.gateway != after.gateway},
        {"dns", before.dns != after.dns},
        {"dhcp", before.dhcp != after.dhcp},
        {"name", before.name != after.name},
        {"product", before.product != after.product},
        {"firmware", before.firmware != after.firmware},
        {"serialLinkPort", before.serialLinkPort != after.serialLinkPort},
        {"interface", before.interfaceName != after.interfaceName},
        {"localAddress", before.localAddress != after.localAddress},
        {"sourceAddress", before.sourceAddress != after.sourceAddress},
        {"warnings", before.warnings != after.warnings},
    };
    std::vector<std::string> changed;
    for (const auto& [name, differs] : fields) {
        if (differs)
            changed.emplace_back(name);
    }
    return changed;
}

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
    const auto key = std::make_pair(view.mac, view.localAddress);
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

std::vector<WatchEvent> WatchEvents::Changes()
{
    if (changedAddresses_.empty() && changedMacs_.empty())
        return {};
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

    std::vector<WatchEvent> events;
    for (std::size_t j = 0; j < affected.size(); ++j) {
        Entry& entry = entries_[affected[j]];
        std::vector<std::string>& keys = entry.latest.warnings;
        keys.clear();
        for (const ql5common::Conflict& conflict : conflicts[j]) {
            const std::string key(ql5common::ConflictKey(conflict.kind));
            if (std::find(keys.begin(), keys.end(), key) == keys.end())
                keys.push_back(key);
        }
        if (!entry.announced) {
            events.push_back({WatchEventKind::kFound, entry.latest, {}});
            entry.announced = true;
        } else if (entry.latest != entry.shown) {
            events.push_back(
                {WatchEventKind::kChanged, entry.latest, ChangedFields(entry.shown, entry.latest)});
        }
        entry.shown = entry.latest;
    }
    return events;
}

std::vector<WatchEvent> WatchEvents::RoundEnded(std::vector<ql5common::LocalNetwork> networks)
{
    networks_ = std::move(networks);
    std::vector<WatchEvent> events;
    index_.clear();
    // The entries that stay move up in place, so that no second array of
    // them is made.
    std::size_t kept = 0;
    for (Entry& entry : entries_) {
        if (!entry.heard && ++entry.silentRounds >= lostAfter_) {
            // Its neighbours may lose a warning with it.
            changedAddresses_.emplace(entry.latest.localAddress, entry.latest.ip);
            changedMacs_.insert(entry.latest.mac);
            events.push_back({WatchEventKind::kLost, std::move(entry.shown), {}});
            continue;
        }
        entry.heard = false;
        index_.emplace(std::make_pair(entry.latest.mac, entry.latest.localAddress), kept);
        if (&entries_[kept] != &entry)
            entries_[kept] = std::move(entry);
        ++kept;
    }
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(kept), entries_.end());
    for (WatchEvent& change : Changes())
        events.push_back(std::move(change));
    return events;
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
