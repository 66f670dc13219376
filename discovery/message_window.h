// SPDX-License-Identifier: Apache-2.0
// Message windows: where the sweep posts its "replies waiting" notification.
// On POSIX systems a window is a registered callback and posting calls it on
// the posting thread (platform/unix/message_window.cpp); the interface side
// backs the callback with its toolkit's thread-safe event posting, so the
// message is handled on the window's own thread. On Windows a window is a real
// message-only window (platform/win/message_window.cpp).
//
// The C functions Ql5CreateMessageWindow, Ql5DestroyMessageWindow,
// Ql5IsMessageWindow and Ql5PostWindowMessage are declared in the public
// header.
#pragma once

#include <ql5/discovery.h>

namespace ql5 {

// True when the handle names a registered window: the test that starting a
// sweep and every notification make of their target window.
[[nodiscard]] inline bool IsWindow(Ql5WindowHandle window)
{
    return Ql5IsMessageWindow(window) != 0;
}

}  // namespace ql5
