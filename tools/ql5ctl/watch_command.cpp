// SPDX-License-Identifier: Apache-2.0
// `list --watch`: sweeps without end and prints one JSON object per line
// (NDJSON) for every converter that is found, changes or is lost, its
// warnings included, for monitoring scripts and log pipelines. It ends
// cleanly, with exit code 0, on SIGINT or SIGTERM and when the reader of its
// output goes away.
#include "exit_codes.h"
#include "local_interfaces.h"
#include "stop_signals.h"
#include "subcommands.h"
#include "sweep_listing.h"
#include "watch_events.h"

#include <ql5common/address_text.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace ql5ctl {

int RunWatch(const Invocation& invocation, Streams streams)
{
    CatchStopSignals();
    // Interfaces come and go while a watch runs (a cable, a VPN): each round
    // searches those present when it starts, so the names are read again
    // after every round. One that came up between that reading and the
    // round's start is not yet known; a reply on its address reads them
    // once more, at most once a round.
    LocalInterfaces interfaces;
    bool reReadThisRound = true;  // the first round has the reading just made
    WatchEvents events(invocation.lostAfter, interfaces.Networks());
    bool outputClosed = false;
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
    // Dropped replies are said at once, then at most every ten seconds while
    // a flood goes on.
    std::int64_t droppedReported = 0;
    std::chrono::steady_clock::time_point lastReport{};
    const auto reportDropped = [&] {
        const auto now = std::chrono::steady_clock::now();
        if (events.Dropped() != droppedReported &&
            (droppedReported == 0 || now - lastReport >= std::chrono::seconds(10))) {
            streams.err << "ql5ctl: the watch keeps at most " << WatchEvents::kMaxEntries
                        << " converters; " << events.Dropped()
                        << " replies of others were dropped\n";
            droppedReported = events.Dropped();
            lastReport = now;
        }
    };

    const WatchEventSink print = [&](const WatchEvent& event) {
        if (outputClosed)
            return;
        WriteWatchEventLine(streams.out, event, std::chrono::system_clock::now());
        streams.out.flush();
        outputClosed = !streams.out;
    };
    const auto take = [&](const DeviceRecordExchange& record, std::uint32_t source) {
        std::string name = interfaces.NameOf(record.localAddress);
        if (name.empty() && !reReadThisRound) {
            interfaces = LocalInterfaces();
            reReadThisRound = true;
            name = interfaces.NameOf(record.localAddress);
        }
        ql5common::ConverterView view = MakeConverterView(record, name);
        if (source != 0)
            view.sourceAddress = ql5common::FormatDottedDecimal(source);
        events.Heard(std::move(view));
    };
    const auto roundEnded = [&] {
        interfaces = LocalInterfaces();
        reReadThisRound = false;
        events.RoundEnded(interfaces.Networks(), print);
    };
    const auto round = std::chrono::milliseconds(
        static_cast<long long>(std::llround(invocation.waitSeconds * 1000)));
    const auto failure = SweepRepeatedly(
        round, take,
        [&] {
            reportDropped();
            events.Changes(print);
        },
        [&] { return outputClosed || StopRequested() || OutputGone(); }, invocation.hosts,
        roundEnded);
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
