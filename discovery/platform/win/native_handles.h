// SPDX-License-Identifier: Apache-2.0
// The Windows handles behind the neutral platform headers. CMake puts this
// folder on the include path of the Windows build only. The types are spelled
// without <windows.h>, whose macros would otherwise reach every file of the
// client that includes a platform header; udp_socket.cpp checks that they
// match SOCKET and HANDLE.
#pragma once

#include <cstdint>

namespace ql5::platform {

// A socket is a SOCKET, an unsigned pointer-sized number.
using SocketHandle = std::uintptr_t;
inline constexpr SocketHandle kInvalidSocket = ~SocketHandle{0};  // INVALID_SOCKET

// An auto-reset event is a Win32 event object (a HANDLE).
struct NativeEvent {
    void* handle = nullptr;
};

// One entry of a socket wait. Every watched socket reports its network events
// to one event object that the wait owns (WSAEventSelect), so that a single
// WaitForMultipleObjects covers any number of sockets; the entry after the
// sockets holds that event and the optional wake event. Entries undo what
// they set up when they are destroyed, so they are move-only.
class WaitEntry {
public:
    static WaitEntry ForSocket(SocketHandle socket) noexcept;
    static WaitEntry ForEvents(void* socketEvent, void* wake) noexcept;

    WaitEntry(WaitEntry&& other) noexcept;
    WaitEntry& operator=(WaitEntry&& other) noexcept;
    WaitEntry(const WaitEntry&) = delete;
    WaitEntry& operator=(const WaitEntry&) = delete;
    ~WaitEntry();

    SocketHandle socket = kInvalidSocket;  // a socket entry's socket
    void* socketEvent = nullptr;           // the events entry's own event
    void* wake = nullptr;                  // the events entry's wake event, or null
    bool ready = false;                    // readable, or for the events entry: woken

private:
    WaitEntry() = default;
    void Release() noexcept;
};

}  // namespace ql5::platform
