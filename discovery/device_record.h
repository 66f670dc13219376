// DeviceRecord: one device as one reply described it. The first 1,144 bytes are
// the exchange part that callers receive as copies (DeviceRecordExchange in the
// public header); behind it lies the outcome of a request and the list of
// code-231 words, which never leave the client.
#pragma once

#include "locked_list.h"

#include <ql5/discovery.h>

#include <cstddef>
#include <cstdint>

struct DiscoveryContext;

namespace ql5 {

// Bits of resultPresenceFlags.
inline constexpr std::uint32_t kHasResultFlag = 0x01;
inline constexpr std::uint32_t kHasErrorCode = 0x02;
inline constexpr std::uint32_t kHasResultMessage = 0x04;
inline constexpr std::uint32_t kHasCode231List = 0x08;

// The most code-231 values one record keeps. A reply can carry hundreds, and
// each costs the sweep time; the values never leave the client, so the rest
// are skipped.
inline constexpr std::int32_t kMaxCode231Values = 32;

struct DeviceRecord {
    DeviceRecordExchange exchange;
    std::uint32_t resultPresenceFlags;
    std::uint8_t resultFlag;
    std::uint8_t errorCode;
    char resultMessage[256];
    std::uint8_t reserved[2];
    LockedList* code231List;  // owned; holds the 16-bit words of code 231
};

static_assert(offsetof(DeviceRecord, resultPresenceFlags) == QL5_DEVICE_RECORD_SIZE,
              "the internal tail starts right after the exchange part");

// Zeroes the record, writes its constants and the context's magic, and gives it
// an empty code-231 list. False when either is missing (nothing written) or the
// list could not be made (the record is then set but listless).
[[nodiscard]] bool InitDeviceRecord(const DiscoveryContext* context, DeviceRecord* record);

// A zero-filled, initialised heap record, or null.
DeviceRecord* NewDeviceRecord(const DiscoveryContext* context);

// Destroys the record's list; the storage stays and may only be reset or freed.
void ReleaseDeviceRecord(DeviceRecord* record);

// Releases a heap record and frees it; null is ignored.
void FreeDeviceRecord(DeviceRecord* record);

// Takes a record in any state back to freshly initialised. A list that cannot
// be made is not reported: the record then fails only on a code-231 field.
void ResetDeviceRecord(const DiscoveryContext* context, DeviceRecord* record);

}  // namespace ql5
