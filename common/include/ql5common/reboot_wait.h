// SPDX-License-Identifier: Apache-2.0
// Waiting for a converter to come back after it has acknowledged a reboot: the
// one logic that QL5Config's reboot window and `ql5ctl reboot --wait` share,
// so that both report the same outcome within the same bound.
#pragma once

#include <ql5/discovery.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

namespace ql5common {

struct RebootWaitTiming {
    // How long a converter has to come back: as long as 41 queries that each
    // wait the client's full 7.5 s, 0.5 s apart, took before the queries were
    // made short, so that a converter that restarts slowly is still waited
    // for (327.5 s, about 5½ minutes).
    std::chrono::milliseconds limit{41 * 7500 + 40 * 500};
    // The pause before each further query.
    std::chrono::milliseconds pause{500};
    // How long each query waits for its answer. A converter on the local
    // network answers within milliseconds, so a short window loses nothing
    // and keeps a converter that stays away from holding the wait for the
    // client's full 7.5 s per query.
    std::chrono::milliseconds replyWindow{500};
};

// The longest a wait with this timing can take: the bound that the reboot
// window and ql5ctl promise. No query starts that could not run out its reply
// window within it.
std::chrono::milliseconds LongestRebootWait(const RebootWaitTiming& timing);

enum class RebootOutcome {
    kReady,     // the converter went quiet and then answered again
    kTimedOut,  // the bound passed without that happening
    kStopped,   // Stop() ended the wait first
};

// A converter acknowledges a reboot before it restarts, and may go on
// answering for a moment. An answer counts as "back" only once a query has
// gone unanswered: that unanswered query is the evidence that the converter
// really went down, where a fixed settle time would only be a guess at how
// long it takes. A restart keeps a converter quiet for far longer than one
// query period (pause plus reply window), so even a fast one is seen.
//
// Run() blocks its thread; Stop() may come from any other thread and ends the
// wait at once, except for a query in flight, which has its reply window to
// run out (the client cannot cancel it). No further query starts after
// Stop().
class RebootWait {
public:
    // Sends one query with the given reply window and tells whether the
    // converter answered it. A query that could not be sent counts as
    // unanswered.
    using Query = std::function<bool(std::chrono::milliseconds replyWindow)>;

    explicit RebootWait(RebootWaitTiming timing = {});

    RebootWait(const RebootWait&) = delete;
    RebootWait& operator=(const RebootWait&) = delete;

    RebootOutcome Run(const Query& query);
    void Stop();
    bool Stopped() const;
    // How long Run() has waited so far (0 before it starts); from any thread.
    std::chrono::milliseconds Waited() const;

private:
    // Waits for the pause; false when Stop() came first.
    bool Pause();

    RebootWaitTiming timing_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool stopped_ = false;
    std::chrono::steady_clock::time_point started_{};
};

// Runs the wait with queries of the discovery client for the converter with
// this MAC, each with the wait's reply window, through localAddress only (as
// DeviceRecordExchange.localAddress gives it, network order), or through
// every local address when it is 0; by unicast to deviceAddress when it is
// not 0 (which needs a localAddress). What the queries return is thrown away.
// The handle is used on the calling thread only, for the whole wait.
RebootOutcome WaitUntilBack(RebootWait& wait, DiscoveryHandle handle,
                            const std::uint8_t macAddress[6], std::uint32_t localAddress,
                            std::uint32_t deviceAddress = 0);

}  // namespace ql5common
