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
#include <utility>

namespace ql5ctl {

int RunWatch(const Invocation& invocation, Streams streams)
{
    CatchStopSignals();
    LocalInterfaces interfaces;
    auto networks = interfaces.Networks();
    // The local addresses whose interface was looked up again.
    std::set<std::uint32_t> lookedUp;
    // The last view printed of each (MAC, local address), in first-heard order.
    std::vector<ConverterView> shown;
    std::vector<ConverterView> latest;
    std::map<std::pair<std::string, std::string>, std::size_t> index;
    bool outputClosed = false;

    const auto take = [&](const DeviceRecordExchange& record) {
        std::string name = interfaces.NameOf(record.localAddress);
        // An interface that came up after the start is named from a fresh
        // list, taken once for each such address.
        if (name.empty() && lookedUp.insert(record.localAddress).second) {
            interfaces = LocalInterfaces();
            networks = interfaces.Networks();
            name = interfaces.NameOf(record.localAddress);
        }
        ConverterView view = MakeConverterView(record, name);
        const auto key = std::make_pair(view.mac, view.localAddress);
        const auto [at, added] = index.emplace(key, latest.size());
        if (added) {
            latest.push_back(std::move(view));
            shown.emplace_back();  // nothing printed yet
        } else {
            latest[at->second] = std::move(view);
        }
    };
    // A new converter can change the warnings of others (a duplicate), so
    // the whole listing is checked again after each batch, and every entry
    // that now differs from what was printed is printed again.
    const auto drained = [&] {
        MarkConflicts(latest, networks);
        for (std::size_t i = 0; i < latest.size() && !outputClosed; ++i) {
            if (latest[i] == shown[i])
                continue;
            WriteConverterJsonLine(streams.out, latest[i]);
            streams.out.flush();
            outputClosed = !streams.out;
            shown[i] = latest[i];
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
