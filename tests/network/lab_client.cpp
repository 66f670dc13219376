// SPDX-License-Identifier: Apache-2.0
#include "lab_client.h"

#include "support/host_command.h"

#include <stdexcept>
#include <thread>

namespace ql5::test {

Mac ParseMac(const std::string& text)
{
    const auto mac = ql5common::ParseMac(text);
    if (!mac)
        throw std::invalid_argument("bad MAC " + text);
    return *mac;
}

std::uint32_t ParseIpv4(const std::string& dotted)
{
    const auto address = ql5common::ParseDottedDecimal(dotted);
    if (!address)
        throw std::invalid_argument("bad address " + dotted);
    return *address;
}

bool RunInLab(const std::string& command)
{
    return ql5::lab::RunHostCommand(command);
}

LinkDown::LinkDown(std::string link) : link_(std::move(link))
{
    ok_ = RunInLab("ip link set " + link_ + " down");
}

LinkDown::~LinkDown()
{
    static_cast<void>(RunInLab("ip link set " + link_ + " up"));
}

std::vector<std::uint8_t> ParseHex(const std::string& hex)
{
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

NotificationRecorder::NotificationRecorder()
    : window_(Ql5CreateMessageWindow(&NotificationRecorder::OnMessage, this))
{
}

NotificationRecorder::~NotificationRecorder()
{
    Ql5DestroyMessageWindow(window_);
}

void NotificationRecorder::OnMessage(Ql5WindowHandle, std::uint32_t message, std::uintptr_t,
                                     std::intptr_t second, void* self)
{
    auto* recorder = static_cast<NotificationRecorder*>(self);
    std::lock_guard lock(recorder->mutex_);
    ++recorder->count_;
    recorder->lastMessage_ = message;
    recorder->lastSecond_ = second;
    recorder->arrived_.notify_all();
}

int NotificationRecorder::Count()
{
    std::lock_guard lock(mutex_);
    return count_;
}

bool NotificationRecorder::WaitBeyond(int seen, std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, timeout, [&] { return count_ > seen; });
}

std::uint32_t NotificationRecorder::LastMessage()
{
    std::lock_guard lock(mutex_);
    return lastMessage_;
}

std::intptr_t NotificationRecorder::LastSecondParameter()
{
    std::lock_guard lock(mutex_);
    return lastSecond_;
}

std::vector<DeviceRecordExchange> CollectRecords(DiscoveryHandle handle, std::size_t wanted,
                                                 std::chrono::milliseconds timeout)
{
    std::vector<DeviceRecordExchange> records;
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (records.size() < wanted && std::chrono::steady_clock::now() < end) {
        DeviceRecordExchange record;
        if (ReadDevices(handle, &record, 1) == 1)
            records.push_back(record);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return records;
}

std::string StatusText(DiscoveryHandle handle)
{
    char text[256] = {};
    if (GetStatusText(handle, text, sizeof text) != 0)
        return "<failed>";
    return text;
}

}  // namespace ql5::test
