// SPDX-License-Identifier: Apache-2.0
// The POSIX handles behind the neutral platform headers. CMake puts this
// folder on the include path of the POSIX build only; another platform's
// folder supplies a header of the same name with its own types.
#pragma once

#include <poll.h>

namespace ql5::platform {

// A socket is a file descriptor.
using SocketHandle = int;
inline constexpr SocketHandle kInvalidSocket = -1;

// An auto-reset event as descriptors: `readable` is what a poll watches and
// becomes readable while the event is signalled; `writable` is where a signal
// is written. One eventfd serves as both; a pipe has one end for each.
struct NativeEvent {
    int readable = -1;
    int writable = -1;
};

// One descriptor that a socket wait watches.
using WaitEntry = pollfd;

}  // namespace ql5::platform
