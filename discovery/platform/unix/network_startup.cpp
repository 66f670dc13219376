// SPDX-License-Identifier: Apache-2.0
#include "platform/network_startup.h"

#include <atomic>

namespace ql5::platform {

namespace {
std::atomic<int> startCount{0};
}

Status StartNetworking() noexcept
{
    startCount.fetch_add(1, std::memory_order_relaxed);
    return {};
}

void StopNetworking() noexcept
{
    startCount.fetch_sub(1, std::memory_order_relaxed);
}

int NetworkingStartCount() noexcept
{
    return startCount.load(std::memory_order_relaxed);
}

}  // namespace ql5::platform
