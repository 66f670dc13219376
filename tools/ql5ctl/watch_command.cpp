// SPDX-License-Identifier: Apache-2.0
// `list --watch`: sweeps without end and prints one JSON object per line
// (NDJSON) for every converter that is new or reports something new, its
// warnings included, for monitoring scripts. It ends cleanly, with exit code
// 0, on SIGINT or SIGTERM and when the reader of its output goes away.
#include "exit_codes.h"
#include "listing_warnings.h"
#include "local_interfaces.h"
#include "subcommands.h"
#include "sweep_listing.h"

#include <ql5common/inventory_formats.h>

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <map>
#include <utility>

namespace ql5ctl {

namespace {

// Set from the signal handler; lock-free, so safe there.
std::atomic<bool> stopRequested{false};

extern "C" void RequestStop(int)
{
    stopRequested.store(true);
}

// The handlers of SIGINT and SIGTERM end the watch at the next check instead
// of the process; SIGPIPE is ignored, so a closed pipe shows up as a failed
// write and ends the watch the same way.
void CatchStopSignals()
{
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

// Whether the reader of standard output has gone away. A watch that has
// nothing new to print would otherwise not notice until its next line, which
// may never come; the write end of a pipe whose reader closed it polls as an
// error.
bool OutputGone()
{
    pollfd output{STDOUT_FILENO, 0, 0};
    return poll(&output, 1, 0) == 1 && (output.revents & (POLLERR | POLLHUP)) != 0;
}

}  // namespace

int RunWatch(const Invocation& invocation, Streams streams)
{
    CatchStopSignals();
    const LocalInterfaces interfaces;
    const auto networks = interfaces.Networks();
    // The last view printed of each (MAC, local address), in first-heard order.
    std::vector<ConverterView> shown;
    std::vector<ConverterView> latest;
    std::map<std::pair<std::string, std::string>, std::size_t> index;
    bool outputClosed = false;

    const auto take = [&](const DeviceRecordExchange& record) {
        ConverterView view = MakeConverterView(record, interfaces.NameOf(record.localAddress));
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
        round, take, drained, [&] { return outputClosed || stopRequested.load() || OutputGone(); },
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
