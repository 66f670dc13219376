// SPDX-License-Identifier: Apache-2.0
// A one-shot deadline on the monotonic clock: the request time limit. Unlike a
// wall-clock time it is not moved by changes of the system time.
#pragma once

#include <chrono>

namespace ql5 {

class Deadline {
public:
    using Clock = std::chrono::steady_clock;

    void Start(Clock::duration after) { due_ = Clock::now() + after; }
    [[nodiscard]] bool HasPassed() const { return Clock::now() >= due_; }
    // The time left, rounded up to the unit asked for; zero once it has passed.
    template <typename Duration>
    [[nodiscard]] Duration Remaining() const
    {
        const auto left = due_ - Clock::now();
        return left > Clock::duration::zero() ? std::chrono::ceil<Duration>(left)
                                              : Duration::zero();
    }

private:
    Clock::time_point due_{};
};

}  // namespace ql5
