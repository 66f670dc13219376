// SPDX-License-Identifier: Apache-2.0
// What an interface socket does the same on every platform: it owns its
// handle, which moves with it and is closed (by the platform's Close) at its
// end.
#include "interface_socket.h"

#include <utility>

namespace ql5sim {

InterfaceSocket::InterfaceSocket(InterfaceSocket&& other) noexcept
    : handle_(other.handle_), name_(std::move(other.name_))
{
    other.handle_ = ql5tools::kNoSocket;
}

InterfaceSocket& InterfaceSocket::operator=(InterfaceSocket&& other) noexcept
{
    if (this != &other) {
        Close();
        handle_ = other.handle_;
        name_ = std::move(other.name_);
        other.handle_ = ql5tools::kNoSocket;
    }
    return *this;
}

InterfaceSocket::~InterfaceSocket()
{
    Close();
}

}  // namespace ql5sim
