// SPDX-License-Identifier: Apache-2.0
// The auto-reset event on Linux: one eventfd, whose counter is the signal.
// Other POSIX systems use the pipe in platform/unix/auto_reset_event.cpp.
#include "platform/auto_reset_event.h"

#include <cerrno>
#include <cstdint>
#include <new>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace ql5::platform {

AutoResetEvent* AutoResetEvent::Create() noexcept
{
    const int descriptor = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (descriptor < 0)
        return nullptr;
    auto* event = new (std::nothrow) AutoResetEvent(NativeEvent{descriptor, descriptor});
    if (event == nullptr)
        close(descriptor);
    return event;
}

void AutoResetEvent::Destroy(AutoResetEvent* event) noexcept
{
    delete event;
}

AutoResetEvent::~AutoResetEvent()
{
    close(native_.readable);
}

void AutoResetEvent::Set() noexcept
{
    const std::uint64_t one = 1;
    // A counter that is already non-zero stays signalled; that is all we need.
    while (write(native_.writable, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

bool AutoResetEvent::TryConsume() noexcept
{
    // Reading an eventfd returns its whole counter and sets it to zero: any
    // number of Set calls make one signal.
    std::uint64_t count = 0;
    ssize_t result;
    do {
        result = read(native_.readable, &count, sizeof count);
    } while (result < 0 && errno == EINTR);
    return result == sizeof count && count > 0;
}

bool AutoResetEvent::Wait(std::chrono::milliseconds timeout) noexcept
{
    pollfd watched{native_.readable, POLLIN, 0};
    const int result = poll(&watched, 1, static_cast<int>(timeout.count()));
    return result > 0 && TryConsume();
}

}  // namespace ql5::platform
