#include "device_record.h"

#include "context.h"

#include <cstdlib>
#include <cstring>

namespace ql5 {

namespace {
constexpr std::uint32_t kLayoutTag = 256;
constexpr std::uint32_t kExtensionSize = 64;
}  // namespace

bool InitDeviceRecord(const DiscoveryContext* context, DeviceRecord* record)
{
    if (context == nullptr || record == nullptr)
        return false;
    std::memset(record, 0, sizeof *record);
    record->exchange.recordSize = QL5_DEVICE_RECORD_SIZE;
    record->exchange.layoutTag = kLayoutTag;
    record->exchange.extensionSize = kExtensionSize;
    record->exchange.protocolMagic = context->protocolMagic;
    record->code231List = LockedList::Create();
    return record->code231List != nullptr;
}

DeviceRecord* NewDeviceRecord(const DiscoveryContext* context)
{
    if (context == nullptr)
        return nullptr;
    // calloc rather than new: the record is plain bytes, and running out of
    // memory must give null, not an exception.
    auto* record = static_cast<DeviceRecord*>(std::calloc(1, sizeof(DeviceRecord)));
    if (record == nullptr)
        return nullptr;
    if (!InitDeviceRecord(context, record)) {
        FreeDeviceRecord(record);
        return nullptr;
    }
    return record;
}

void ReleaseDeviceRecord(DeviceRecord* record)
{
    if (record == nullptr)
        return;
    LockedList::Destroy(record->code231List);
    record->code231List = nullptr;
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
    if (context == nullptr || record == nullptr)
        return;
    ReleaseDeviceRecord(record);
    static_cast<void>(InitDeviceRecord(context, record));
}

}  // namespace ql5
