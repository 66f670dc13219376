// Waiting for a converter to come back after a reboot, the way QL5Config's
// reboot window waits: one query at once, and while it goes unanswered up to
// 40 further queries, each after a pause of 500 ms.
#pragma once

#include <chrono>
#include <functional>

namespace ql5ctl {

inline constexpr int kFurtherRebootQueries = 40;
inline constexpr std::chrono::milliseconds kRebootQueryPause{500};

enum class RebootOutcome { kReady, kTimedOut };

// `answers` runs one query and tells whether the converter answered;
// `pause` waits between queries.
RebootOutcome WaitUntilAnswering(const std::function<bool()>& answers,
                                 const std::function<void(std::chrono::milliseconds)>& pause);

}  // namespace ql5ctl
