// An auto-reset event: Set signals it, and the first test or wait that sees the
// signal consumes it. The sweep's stop signal is one; on POSIX it is also a
// descriptor that a socket wait can watch, so that a stop ends the wait at once.
#pragma once

#include <chrono>

namespace ql5::platform {

class AutoResetEvent {
public:
    // A new event, not signalled, or null when the system has none to give.
    static AutoResetEvent* Create() noexcept;
    static void Destroy(AutoResetEvent* event) noexcept;

    AutoResetEvent(const AutoResetEvent&) = delete;
    AutoResetEvent& operator=(const AutoResetEvent&) = delete;

    void Set() noexcept;
    // True when the event was signalled; the signal is consumed.
    bool TryConsume() noexcept;
    // Waits up to the timeout for the signal and consumes it.
    bool Wait(std::chrono::milliseconds timeout) noexcept;
    // Readable while the event is signalled (for socket waits).
    int PollDescriptor() const noexcept { return descriptor_; }

private:
    explicit AutoResetEvent(int descriptor) : descriptor_(descriptor) {}
    ~AutoResetEvent();

    int descriptor_;
};

}  // namespace ql5::platform
