// SPDX-License-Identifier: Apache-2.0
// Windows Sockets keeps its own count of WSAStartup calls and frees its
// resources at the last WSACleanup; the count here lets tests see that every
// context gives back what it took.
#include "platform/network_startup.h"

#include <winsock2.h>

#include <atomic>

namespace ql5::platform {

namespace {
std::atomic<int> startCount{0};
}

Status StartNetworking() noexcept
{
    WSADATA data;
    if (const int result = ::WSAStartup(MAKEWORD(2, 2), &data); result != 0)
        return Status::Failed(Failure::kStartNetworking, SystemError{result});
    startCount.fetch_add(1, std::memory_order_relaxed);
    return {};
}

void StopNetworking() noexcept
{
    startCount.fetch_sub(1, std::memory_order_relaxed);
    ::WSACleanup();
}

int NetworkingStartCount() noexcept
{
    return startCount.load(std::memory_order_relaxed);
}

}  // namespace ql5::platform
