#include "lab_client.h"

#include <arpa/inet.h>
#include <cstdio>
#include <stdexcept>
#include <thread>

namespace ql5::test {

Mac ParseMac(const std::string& text)
{
    Mac mac{};
    unsigned values[6];
    if (std::sscanf(text.c_str(), "%x:%x:%x:%x:%x:%x", &values[0], &values[1], &values[2],
                    &values[3], &values[4], &values[5]) != 6)
        throw std::invalid_argument("bad MAC " + text);
    for (int i = 0; i < 6; ++i)
        mac[i] = static_cast<std::uint8_t>(values[i]);
    return mac;
}

std::string FormatMac(const std::uint8_t* mac)
{
    char text[18];
    std::snprintf(text, sizeof text, "%02x:%02x:%02x:%02x:%02x:%02x", mac[0], mac[1], mac[2],
                  mac[3], mac[4], mac[5]);
    return text;
}

std::uint32_t ParseIpv4(const std::string& dotted)
{
    in_addr address{};
    if (inet_pton(AF_INET, dotted.c_str(), &address) != 1)
        throw std::invalid_argument("bad address " + dotted);
    return address.s_addr;
}

std::string FormatIpv4(std::uint32_t address)
{
    in_addr value{};
    value.s_addr = address;
    char text[INET_ADDRSTRLEN];
    return inet_ntop(AF_INET, &value, text, sizeof text);
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
