// SPDX-License-Identifier: Apache-2.0
// DeviceRecord: one device as one reply described it. The first 1,144 bytes are
// the exchange part that callers receive as copies (DeviceRecordExchange in the
// public header); behind it lies the outcome of a request and the list of
// code-231 words, which never leave the client.
#pragma once

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

// The 16-bit words of code 231: each value once, in the order first seen, at
// most kMaxCode231Values of them. The words live in the record itself rather
// than in a locked list of its own, which would cost every reply (few carry
// the field) an allocation and a mutex; the record is never shared while it
// is written. All zero bytes make an empty list.
class WordList {
public:
    // Adds a value not yet held; false when it is held or the list is full.
    bool Add(std::uint16_t value) noexcept;
    std::int32_t Count() const noexcept { return count_; }
    // The value at a 0-based index, or 0 when the index is out of range.
    std::uint16_t ValueAt(std::int32_t index) const noexcept;

private:
    std::uint16_t values_[kMaxCode231Values];
    std::uint8_t count_;
};

struct DeviceRecord {
    DeviceRecordExchange exchange;
    std::uint32_t resultPresenceFlags;
    std::uint8_t resultFlag;
    std::uint8_t errorCode;
    char resultMessage[256];
    WordList code231List;
    // The address the reply came from (network order), 0 where unknown: the
    // converter's own claim (ipAddress) is not where it answers from, and
    // the rule against impostors holds a command to this address.
    std::uint32_t sourceAddress;
};

static_assert(offsetof(DeviceRecord, resultPresenceFlags) == QL5_DEVICE_RECORD_SIZE,
              "the internal tail starts right after the exchange part");

// Zeroes the record and writes its constants and the context's magic; its
// code-231 list is then empty. False, with nothing written, when either is
// missing.
[[nodiscard]] bool InitDeviceRecord(const DiscoveryContext* context, DeviceRecord* record);

// A zero-filled, initialised heap record, or null.
DeviceRecord* NewDeviceRecord(const DiscoveryContext* context);

// Ends the record's life in caller storage; the storage stays and may only be
// reset or freed. A record owns nothing today, so this does nothing, but
// every record in caller storage still goes through it.
void ReleaseDeviceRecord(DeviceRecord* record);

// Releases a heap record and frees it; null is ignored.
void FreeDeviceRecord(DeviceRecord* record);

// Takes a record in any state back to freshly initialised.
void ResetDeviceRecord(const DiscoveryContext* context, DeviceRecord* record);

}  // namespace ql5
