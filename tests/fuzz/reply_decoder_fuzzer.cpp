// SPDX-License-Identifier: Apache-2.0
// Feeds arbitrary datagrams to the reply decoder the way the receiver does: the
// bytes land at the start of a zeroed 1,456-byte buffer (a longer datagram is
// discarded whole, as the socket layer does), then the decoder runs for each
// reply type. Any read past the buffer or leak is caught by the sanitizers.
#include "context.h"
#include "device_record.h"
#include "packet_format.h"
#include "reply_decoder.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

// The exact-size decode: no zero padding to lean on.
void DecodeExactly(const DiscoveryContext* context, const std::uint8_t* data, std::size_t size)
{
    ql5::DeviceRecord record;
    if (ql5::InitDeviceRecord(context, &record))
        static_cast<void>(ql5::DecodeReply(context, data, size, ql5::kDiscoveryReply, &record));
    ql5::ReleaseDeviceRecord(&record);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static DiscoveryHandle handle = OpenContext(QL5_PROTOCOL_MAGIC);
    DiscoveryContext* context = ql5::ResolveContext(handle);
    if (context == nullptr || size > ql5::kReceiveBufferSize) {
        // Still decode an oversized input directly with its true size: the
        // decoder must never read past whatever buffer it is given.
        if (context != nullptr)
            DecodeExactly(context, data, size);
        return 0;
    }
    std::array<std::uint8_t, ql5::kReceiveBufferSize> buffer{};
    std::memcpy(buffer.data(), data, size);
    for (std::uint16_t type : {ql5::kDiscoveryReply, ql5::kConfigureStaticReply, ql5::kRebootReply,
                               ql5::kConfigureDhcpReply}) {
        ql5::DeviceRecord* record = ql5::NewDeviceRecord(context);
        if (record == nullptr)
            return 0;
        // Whether it decodes is of no interest: only what the decoder touches.
        static_cast<void>(ql5::DecodeReply(context, buffer.data(), buffer.size(), type, record));
        ql5::FreeDeviceRecord(record);
    }
    DecodeExactly(context, data, size);
    return 0;
}
