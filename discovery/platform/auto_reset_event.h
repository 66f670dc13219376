// SPDX-License-Identifier: Apache-2.0
// An auto-reset event: Set signals it, and the first test or wait that sees the
// signal consumes it. The sweep's stop signal is one; a socket wait can watch
// it too (SocketWaiter), so that a stop ends the wait at once.
#pragma once

#include "native_handles.h"

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
    [[nodiscard]] bool TryConsume() noexcept;
    // Drops a pending signal, if any.
    void Reset() noexcept { static_cast<void>(TryConsume()); }
    // Waits up to the timeout for the signal and consumes it.
    [[nodiscard]] bool Wait(std::chrono::milliseconds timeout) noexcept;
    // The system's own handle, for the platform's socket wait.
    const NativeEvent& Native() const noexcept { return native_; }

private:
    explicit AutoResetEvent(const NativeEvent& native) : native_(native) {}
    ~AutoResetEvent();

    NativeEvent native_;
};

}  // namespace ql5::platform
