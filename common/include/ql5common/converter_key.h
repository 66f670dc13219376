// SPDX-License-Identifier: Apache-2.0
#ifndef QL5COMMON_CONVERTER_KEY_H
#define QL5COMMON_CONVERTER_KEY_H

#include <ql5/discovery.h>

#include <cstddef>
#include <cstdint>

namespace ql5common {

// A converter as heard on one local address: its MAC in the low 48 bits, the
// local address (network order) that the reply came in on and, where known,
// the address it came from. A converter heard on two networks is two entries,
// in the client's reply queue, in ql5ctl's listing and in QL5Config's list
// alike; so is a MAC heard from two sources (another host answering for it),
// where the source is known (0 otherwise). Header only, so that the client
// library can use it without linking this library.
struct ConverterKey {
    std::uint64_t mac = 0;
    std::uint32_t localAddress = 0;
    std::uint32_t sourceAddress = 0;

    bool operator==(const ConverterKey&) const = default;

    static ConverterKey Of(const DeviceRecordExchange& record,
                           std::uint32_t sourceAddress = 0) noexcept
    {
        ConverterKey key{0, record.localAddress, sourceAddress};
        for (std::uint8_t byte : record.macAddress)
            key.mac = (key.mac << 8) | byte;
        return key;
    }
};

struct ConverterKeyHash {
    std::size_t operator()(const ConverterKey& key) const noexcept
    {
        // The MAC's last bytes vary most between converters; the multiplier
        // spreads them over the whole word.
        return static_cast<std::size_t>((key.mac ^ (std::uint64_t{key.localAddress} << 16) ^
                                         (std::uint64_t{key.sourceAddress} << 32)) *
                                        0x9E3779B97F4A7C15ull);
    }
};

}  // namespace ql5common

#endif
