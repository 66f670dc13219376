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

private:
    Clock::time_point due_{};
};

}  // namespace ql5
