// A discovery context that closes itself, and the status reads that every
// command needs.
#pragma once

#include <ql5/discovery.h>

#include <string>

namespace ql5ctl {

class DiscoveryContext {
public:
    DiscoveryContext() : handle_(OpenContext(QL5_PROTOCOL_MAGIC)) {}
    ~DiscoveryContext() { CloseContext(handle_); }
    DiscoveryContext(const DiscoveryContext&) = delete;
    DiscoveryContext& operator=(const DiscoveryContext&) = delete;

    // False when the client could not open a context (out of resources).
    explicit operator bool() const { return handle_ != nullptr; }
    DiscoveryHandle Handle() const { return handle_; }

    // The whole status text, up to its 255 bytes, as the converter sent it.
    std::string StatusText() const
    {
        char text[256] = {};
        if (GetStatusText(handle_, text, sizeof text) != 0)
            return {};
        return text;
    }

private:
    DiscoveryHandle handle_;
};

}  // namespace ql5ctl
