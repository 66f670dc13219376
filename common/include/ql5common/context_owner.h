// SPDX-License-Identifier: Apache-2.0
// A discovery context that closes itself: whoever opens one holds it in a
// ContextOwner, and every way out of the scope closes it, early returns
// included.
#pragma once

#include <ql5/discovery.h>

#include <cstdint>
#include <string>

namespace ql5common {

class ContextOwner {
public:
    // Opens a context for the QL5 protocol magic.
    ContextOwner();
    ~ContextOwner();

    ContextOwner(ContextOwner&& other) noexcept;
    ContextOwner& operator=(ContextOwner&& other) noexcept;
    ContextOwner(const ContextOwner&) = delete;
    ContextOwner& operator=(const ContextOwner&) = delete;

    // False when the client could not open a context (out of resources), or
    // after the context was moved away. Every call with the null handle fails
    // in the client without harm.
    explicit operator bool() const { return handle_ != nullptr; }
    DiscoveryHandle Handle() const { return handle_; }

    // The status code of the last operation that did work; -1 without a
    // context.
    std::int32_t StatusCode() const;

    // The status text as the converter sent it, read into a buffer of
    // `bufferSize` bytes, so cut to bufferSize - 1 bytes; empty without a
    // context. The whole text fits the default size.
    std::string StatusText(std::uint32_t bufferSize = 256) const;

private:
    DiscoveryHandle handle_;
};

}  // namespace ql5common
