// SPDX-License-Identifier: Apache-2.0
// Turns a received reply into a DeviceRecord: the header check, the walk over
// the {code, length, value} fields, the field decoders and, for the QL5 magic,
// the completion of product name and port count from the product table.
#pragma once

#include "device_record.h"

#include <cstddef>
#include <cstdint>

struct DiscoveryContext;

namespace ql5 {

// Decodes the reply in buffer[0, size) into the record, which must be new or
// freshly reset. True when the buffer holds a reply of the expected type with
// the context's magic and every known field decoded. A
// header mismatch leaves the record untouched; a field that fails keeps the
// fields decoded before and after it, with their presence bits, but no
// completion takes place. A walk that would read past the buffer fails the
// reply rather than reading beyond it.
[[nodiscard]] bool DecodeReply(const DiscoveryContext* context, const std::uint8_t* buffer,
                               std::size_t size, std::uint16_t expectedType, DeviceRecord* record);

// A datagram of `size` bytes lies at the start of a buffer of `capacity`
// bytes whose rest may hold anything. Zeroes the bytes behind it that
// DecodeReply, given the whole buffer, may read: the rest of the header, and
// the payload that the header claims together with the longest field that may
// begin inside it. Decoding then gives what it gives in a buffer zeroed before
// the receive, at the cost of a few hundred bytes rather than the whole
// buffer for every datagram.
void ClearBeyondDatagram(std::uint8_t* buffer, std::size_t size, std::size_t capacity);

}  // namespace ql5
