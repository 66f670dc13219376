// SPDX-License-Identifier: Apache-2.0
// The auto-reset event on POSIX systems without eventfd: a non-blocking pipe.
// A signal is one byte in the pipe; consuming it empties the pipe, so any
// number of Set calls make one signal, as with the eventfd on Linux.
#include "platform/auto_reset_event.h"

#include <cerrno>
#include <fcntl.h>
#include <new>
#include <poll.h>
#include <unistd.h>

namespace ql5::platform {

namespace {

bool MakeNonBlockingAndCloseOnExec(int descriptor)
{
    const int status = fcntl(descriptor, F_GETFL);
    const int descriptorFlags = fcntl(descriptor, F_GETFD);
    return status >= 0 && descriptorFlags >= 0 &&
           fcntl(descriptor, F_SETFL, status | O_NONBLOCK) == 0 &&
           fcntl(descriptor, F_SETFD, descriptorFlags | FD_CLOEXEC) == 0;
}

}  // namespace

AutoResetEvent* AutoResetEvent::Create() noexcept
{
    int ends[2];
    if (pipe(ends) != 0)
        return nullptr;
    AutoResetEvent* event = nullptr;
    if (MakeNonBlockingAndCloseOnExec(ends[0]) && MakeNonBlockingAndCloseOnExec(ends[1]))
        event = new (std::nothrow) AutoResetEvent(NativeEvent{ends[0], ends[1]});
    if (event == nullptr) {
        close(ends[0]);
        close(ends[1]);
    }
    return event;
}

void AutoResetEvent::Destroy(AutoResetEvent* event) noexcept
{
    delete event;
}

AutoResetEvent::~AutoResetEvent()
{
    close(native_.readable);
    close(native_.writable);
}

void AutoResetEvent::Set() noexcept
{
    const char one = 1;
    // A full pipe is signalled already; that is all we need.
    while (write(native_.writable, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

bool AutoResetEvent::TryConsume() noexcept
{
    char bytes[64];
    bool signalled = false;
    for (;;) {
        const ssize_t result = read(native_.readable, bytes, sizeof bytes);
        if (result > 0) {
            signalled = true;
            continue;
        }
        if (result < 0 && errno == EINTR)
            continue;
        return signalled;
    }
}

bool AutoResetEvent::Wait(std::chrono::milliseconds timeout) noexcept
{
    pollfd watched{native_.readable, POLLIN, 0};
    const int result = poll(&watched, 1, static_cast<int>(timeout.count()));
    return result > 0 && TryConsume();
}

}  // namespace ql5::platform
