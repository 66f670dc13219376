// SPDX-License-Identifier: Apache-2.0
#include "ql5common/context_owner.h"

#include <utility>
#include <vector>

namespace ql5common {

ContextOwner::ContextOwner() : handle_(OpenContext(QL5_PROTOCOL_MAGIC))
{
}

ContextOwner::~ContextOwner()
{
    // A null handle is harmless to the client.
    CloseContext(handle_);
}

ContextOwner::ContextOwner(ContextOwner&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr))
{
}

ContextOwner& ContextOwner::operator=(ContextOwner&& other) noexcept
{
    if (this != &other) {
        CloseContext(handle_);
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

std::int32_t ContextOwner::StatusCode() const
{
    return GetStatusCode(handle_);
}

std::string ContextOwner::StatusText(std::uint32_t bufferSize) const
{
    std::vector<char> text(bufferSize == 0 ? 1 : bufferSize, '\0');
    if (GetStatusText(handle_, text.data(), static_cast<std::uint32_t>(text.size())) != 0)
        return {};
    return text.data();
}

}  // namespace ql5common
