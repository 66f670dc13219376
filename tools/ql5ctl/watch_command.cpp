// SPDX-License-Identifier: Apache-2.0
// `list --watch`: sweeps without end and prints one JSON object per line
// (NDJSON) for every converter that is new or reports something new, its
// warnings included, for monitoring scripts. It ends cleanly, with exit code
// 0, on SIGINT or SIGTERM and when the reader of its output goes away.
#include "exit_codes.h"
#include "listing_warnings.h"
#include "local_interfaces.h"
#include "stop_signals.h"
#include "subcommands.h"
#include "sweep_listing.h"

#include <ql5common/inventory_formats.h>

#include <cmath>
#include <map>
#include <set>
#include <sstream>
#include <utility>

namespace ql5ctl {

namespace {

// The most converters the watch keeps, as a listing does.
constexpr std::size_t kMaxWatchEntries = QL5_MAX_PENDING_RECORDS;

}  // namespace

int RunWatch(const Invocation& invocation, Streams streams)
{
    CatchStopSignals();
    const LocalInterfaces interfaces;
    const auto networks = interfaces.Networks();
    // Like list, a range that a round cannot ask whole is said once; the
    // rounds then go on through it where the last one stopped.
    const double askingSeconds =
        static_cast<double>(invocation.hosts.size()) / QL5_SWEEP_HOSTS_PER_SECOND;
    if (askingSeconds > invocation.waitSeconds) {
        streams.err << "ql5ctl: asking the " << invocation.hosts.size()
                    << " --host addresses takes about " << std::ceil(askingSeconds)
                    << " s; each round of " << invocation.waitSeconds
                    << " s asks part of them, the next round going on where it stopped\n";
    }
    // The latest view of each (MAC, local address), in first-heard order, and
    // a hash of the line last printed for it (0: none yet): a second copy of
    // every view would double what a flood costs.
    std::vector<std::size_t> shown;
    std::vector<ConverterView> latest;
    std::map<std::pair<std::string, std::string>, std::size_t> index;
    // Room for every entry at once, as a listing reserves it: growing by
    // doubling would hold the old and the new array at the peak of a flood,
    // and pages that no entry fills are never touched.
    latest.reserve(kMaxWatchEntries);
    shown.reserve(kMaxWatchEntries);
    bool outputClosed = false;
    // What changed since the last check: the (local address, IP) pairs and
    // MACs whose entries must be checked for conflicts again. Only entries
    // that share one of them can have gained or lost a warning.
    std::set<std::pair<std::string, std::string>> changedAddresses;
    std::set<std::string> changedMacs;
    std::int64_t dropped = 0;
    std::int64_t droppedReported = 0;
    std::chrono::steady_clock::time_point lastReport{};

    const auto take = [&](const DeviceRecordExchange& record) {
        ConverterView view = MakeConverterView(record, interfaces.NameOf(record.localAddress));
        const auto key = std::make_pair(view.mac, view.localAddress);
        const auto at = index.find(key);
        if (at == index.end()) {
            // Under a flood of forged MACs the watch keeps what it has and
            // counts the rest, instead of growing without end.
            if (latest.size() >= kMaxWatchEntries) {
                ++dropped;
                return;
            }
            index.emplace(key, latest.size());
            changedAddresses.emplace(view.localAddress, view.ip);
            changedMacs.insert(view.mac);
            latest.push_back(std::move(view));
            shown.push_back(0);
            return;
        }
        ConverterView& entry = latest[at->second];
        view.warnings = entry.warnings;
        if (view == entry)
            return;  // a converter repeating itself changes nothing
        changedAddresses.emplace(entry.localAddress, entry.ip);
        changedAddresses.emplace(view.localAddress, view.ip);
        changedMacs.insert(view.mac);
        entry = std::move(view);
    };
    // A new converter can change the warnings of others (a duplicate), so the
    // entries that share an address or a MAC with what changed are checked
    // again after each batch, and every one of them that now differs from
    // what was printed is printed again.
    const auto drained = [&] {
        // Said at once, then at most every ten seconds while a flood goes on.
        const auto now = std::chrono::steady_clock::now();
        if (dropped != droppedReported &&
            (droppedReported == 0 || now - lastReport >= std::chrono::seconds(10))) {
            streams.err << "ql5ctl: the watch keeps at most " << kMaxWatchEntries << " converters; "
                        << dropped << " replies of others were dropped\n";
            droppedReported = dropped;
            lastReport = now;
        }
        if (changedAddresses.empty() && changedMacs.empty())
            return;
        std::vector<std::size_t> affected;
        for (std::size_t i = 0; i < latest.size(); ++i) {
            if (changedMacs.count(latest[i].mac) != 0 ||
                changedAddresses.count({latest[i].localAddress, latest[i].ip}) != 0)
                affected.push_back(i);
        }
        changedAddresses.clear();
        changedMacs.clear();
        MarkConflictsOf(latest, affected, networks);
        std::ostringstream line;
        for (std::size_t i : affected) {
            if (outputClosed)
                break;
            line.str({});
            WriteConverterJsonLine(line, latest[i]);
            const std::string text = line.str();
            // Never 0, which stands for "not printed yet".
            const std::size_t hash = std::hash<std::string>()(text) | 1;
            if (hash == shown[i])
                continue;
            streams.out << text;
            streams.out.flush();
            outputClosed = !streams.out;
            shown[i] = hash;
        }
    };
    const auto round = std::chrono::milliseconds(
        static_cast<long long>(std::llround(invocation.waitSeconds * 1000)));
    const auto failure = SweepRepeatedly(
        round, take, drained, [&] { return outputClosed || StopRequested() || OutputGone(); },
        invocation.hosts);
    if (failure) {
        if (failure->reason.empty()) {
            streams.err << "ql5ctl: the discovery client could not be started (out of "
                           "resources?)\n";
            return kExitInternal;
        }
        streams.err << "ql5ctl: no search took place: " << failure->reason << "\n";
        return kExitLocalFailure;
    }
    return kExitDone;
}

}  // namespace ql5ctl
