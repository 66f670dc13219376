// SPDX-License-Identifier: Apache-2.0
#include "device_record.h"

#include "context.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace ql5 {

namespace {
constexpr std::uint32_t kLayoutTag = 256;
constexpr std::uint32_t kExtensionSize = 64;
}  // namespace

bool WordList::Add(std::uint16_t value) noexcept
{
    if (count_ >= kMaxCode231Values ||
        std::find(values_, values_ + count_, value) != values_ + count_)
        return false;
    values_[count_++] = value;
    return true;
}

std::uint16_t WordList::ValueAt(std::int32_t index) const noexcept
{
    return index >= 0 && index < count_ ? values_[index] : 0;
}

bool InitDeviceRecord(const DiscoveryContext* context, DeviceRecord* record)
{
    if (context == nullptr || record == nullptr)
        return false;
    std::memset(record, 0, sizeof *record);
    record->exchange.recordSize = QL5_DEVICE_RECORD_SIZE;
    record->exchange.layoutTag = kLayoutTag;
    record->exchange.extensionSize = kExtensionSize;
    record->exchange.protocolMagic = context->protocolMagic;
    return true;
}

DeviceRecord* NewDeviceRecord(const DiscoveryContext* context)
{
    if (context == nullptr)
        return nullptr;
    // malloc rather than new: the record is plain bytes, and running out of
    // memory must give null, not an exception. InitDeviceRecord zeroes it.
    auto* record = static_cast<DeviceRecord*>(std::malloc(sizeof(DeviceRecord)));
    if (record == nullptr)
        return nullptr;
    static_cast<void>(InitDeviceRecord(context, record));
    return record;
}

void ReleaseDeviceRecord(DeviceRecord* /*record*/)
{
}

void FreeDeviceRecord(DeviceRecord* record)
{
    if (record == nullptr)
        return;
    ReleaseDeviceRecord(record);
    std::free(record);
}

void ResetDeviceRecord(const DiscoveryContext* context, DeviceRecord* record)
{
    static_cast<void>(InitDeviceRecord(context, record));
}

}  // namespace ql5
