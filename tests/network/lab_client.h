// SPDX-License-Identifier: Apache-2.0
// What the network tests share: MAC and address helpers, a message window that
// records the sweep's notifications, and a reader that collects records.
#pragma once

#include <ql5/discovery.h>
#include <ql5common/address_text.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace ql5::test {

using Mac = ql5common::MacAddress;
using ql5common::FormatMac;

// The common address text, throwing on text that a test mistyped.
Mac ParseMac(const std::string& text);
std::uint32_t ParseIpv4(const std::string& dotted);

inline std::string FormatIpv4(std::uint32_t address)
{
    return ql5common::FormatDottedDecimal(address);
}

std::vector<std::uint8_t> ParseHex(const std::string& hex);

// A message window that counts the notifications posted to it.
class NotificationRecorder {
public:
    NotificationRecorder();
    ~NotificationRecorder();
    Ql5WindowHandle Window() const { return window_; }
    int Count();
    // Waits until more than `seen` notifications have arrived.
    bool WaitBeyond(int seen, std::chrono::milliseconds timeout);
    std::uint32_t LastMessage();
    std::intptr_t LastSecondParameter();

private:
    static void OnMessage(Ql5WindowHandle, std::uint32_t message, std::uintptr_t,
                          std::intptr_t second, void* self);
    Ql5WindowHandle window_ = nullptr;
    std::mutex mutex_;
    std::condition_variable arrived_;
    int count_ = 0;
    std::uint32_t lastMessage_ = 0;
    std::intptr_t lastSecond_ = 0;
};

// Reads records from the context until `wanted` have arrived or the time is
// up; returns everything read.
std::vector<DeviceRecordExchange> CollectRecords(DiscoveryHandle handle, std::size_t wanted,
                                                 std::chrono::milliseconds timeout);

std::string StatusText(DiscoveryHandle handle);

// The message type of each datagram (its bytes 4 and 5), in order.
template <typename Datagrams>
std::vector<int> MessageTypes(const Datagrams& datagrams)
{
    std::vector<int> types;
    for (const auto& datagram : datagrams)
        types.push_back(datagram.bytes.size() >= 6 ? datagram.bytes[4] * 256 + datagram.bytes[5]
                                                   : -1);
    return types;
}

// Runs a shell command of the lab (ip ...); true when it succeeded.
bool RunInLab(const std::string& command);

// Takes an interface of the workstation down for the life of the object, and
// up again however the test ends.
class LinkDown {
public:
    explicit LinkDown(std::string link);
    ~LinkDown();
    LinkDown(const LinkDown&) = delete;
    LinkDown& operator=(const LinkDown&) = delete;
    bool Ok() const { return ok_; }

private:
    std::string link_;
    bool ok_ = false;
};

}  // namespace ql5::test
