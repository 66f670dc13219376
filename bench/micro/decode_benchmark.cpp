// SPDX-License-Identifier: Apache-2.0
// Cost of turning one received discovery reply into a record: a reply that
// carries every field the decoder knows, and the smallest reply a converter
// sends (its MAC only).
#include "context.h"
#include "device_record.h"
#include "packet_format.h"
#include "reply_decoder.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstring>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void AppendField(Bytes& payload, std::uint8_t code, std::initializer_list<std::uint8_t> value)
{
    payload.push_back(code);
    payload.push_back(static_cast<std::uint8_t>(value.size()));
    payload.insert(payload.end(), value);
}

void AppendText(Bytes& payload, std::uint8_t code, std::string_view text)
{
    payload.push_back(code);
    payload.push_back(static_cast<std::uint8_t>(text.size()));
    payload.insert(payload.end(), text.begin(), text.end());
}

// The protocol magic, type 2, payload length, then the payload: the datagram as it sits at
// the start of the zeroed receive buffer.
std::array<std::uint8_t, ql5::kReceiveBufferSize> DiscoveryReply(const Bytes& payload)
{
    std::array<std::uint8_t, ql5::kReceiveBufferSize> buffer{};
    const std::uint8_t header[] = {0x44,
                                   0x49,
                                   0x47,
                                   0x49,  // the protocol magic
                                   0x00,
                                   0x02,  // discovery reply
                                   static_cast<std::uint8_t>(payload.size() >> 8),
                                   static_cast<std::uint8_t>(payload.size())};
    std::memcpy(buffer.data(), header, sizeof header);
    std::memcpy(buffer.data() + sizeof header, payload.data(), payload.size());
    return buffer;
}

Bytes FullPayload()
{
    Bytes p;
    AppendField(p, 1, {0x02, 0x51, 0xc5, 0x12, 0x34, 0x56});  // MAC
    AppendField(p, 2, {198, 51, 100, 10});                    // IP address
    AppendField(p, 3, {255, 255, 255, 0});                    // subnet mask
    AppendField(p, 11, {198, 51, 100, 254});                  // gateway
    AppendField(p, 15, {198, 51, 100, 53});                   // DNS server
    AppendField(p, 16, {0x01});                               // DHCP on
    AppendText(p, 4, "Packaging line 4, cabinet B");          // name
    AppendText(p, 5, "kept as is");                           // code 5 text
    AppendField(p, 6, {0x07});                                // hardware type
    AppendField(p, 7, {0x02});                                // code 7 value
    AppendText(p, 13, "QL5 Core Module");                     // product name
    AppendText(p, 8, "2.4.1");                                // firmware revision
    AppendField(p, 14, {0x0F, 0xA1});                         // serial link port 4001
    AppendField(p, 18, {0x01});                               // port count
    AppendField(p, 12, {0x00, 0x2a});                         // code 12 value
    AppendField(p, 224, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});  // code 224 bytes
    AppendField(p, 225, {0x01, 0x00});                                             // code 225 value
    AppendField(p, 227, {0x00, 0x10});                                             // code 227 value
    AppendField(p, 228, {0x00, 0x20});                                             // code 228 value
    AppendField(p, 229, {1, 2, 3, 4, 5, 6, 7, 8});                                 // code 229 bytes
    AppendField(p, 230, {0x00, 0x30});                                             // code 230 value
    AppendField(p, 231, {0x00, 0x15, 0x00, 0x16, 0x00, 0x17});                     // code 231 words
    AppendText(p, 9, "Settings saved");                                            // result message
    AppendField(p, 10, {0x00});                                                    // result flag
    AppendField(p, 17, {0x00});                                                    // error number
    return p;
}

Bytes MinimalPayload()
{
    Bytes p;
    AppendField(p, 1, {0x02, 0x51, 0xc5, 0x12, 0x34, 0x56});  // MAC
    return p;
}

// Decodes the same datagram again and again into one record. Decoding
// overwrites every field it finds, and the code-231 words are already in the
// record's list after the first round, so later rounds do the work of a first
// decode except for three list insertions. With `reset`, the record is also
// taken back to its initial state before every decode, as the request loop
// does before each receive; that makes a fresh code-231 list each time.
void DecodeBenchmark(benchmark::State& state, const Bytes& payload, bool reset)
{
    DiscoveryHandle handle = OpenContext(QL5_PROTOCOL_MAGIC);
    const DiscoveryContext* context = ql5::ResolveContext(handle);
    const auto buffer = DiscoveryReply(payload);
    ql5::DeviceRecord record{};
    if (!ql5::InitDeviceRecord(context, &record)) {
        state.SkipWithError("no memory for the record's list");
        return;
    }
    for (auto _ : state) {
        if (reset)
            ql5::ResetDeviceRecord(context, &record);
        const bool decoded =
            ql5::DecodeReply(context, buffer.data(), buffer.size(), ql5::kDiscoveryReply, &record);
        benchmark::DoNotOptimize(decoded);
        benchmark::DoNotOptimize(record);
        if (!decoded) {
            state.SkipWithError("the reply did not decode");
            break;
        }
    }
    state.counters["payload_bytes"] = static_cast<double>(payload.size());
    ql5::ReleaseDeviceRecord(&record);
    CloseContext(handle);
}

void BM_DecodeReplyFull(benchmark::State& state)
{
    DecodeBenchmark(state, FullPayload(), false);
}
BENCHMARK(BM_DecodeReplyFull);

void BM_DecodeReplyMinimal(benchmark::State& state)
{
    DecodeBenchmark(state, MinimalPayload(), false);
}
BENCHMARK(BM_DecodeReplyMinimal);

void BM_ResetAndDecodeReplyFull(benchmark::State& state)
{
    DecodeBenchmark(state, FullPayload(), true);
}
BENCHMARK(BM_ResetAndDecodeReplyFull);

void BM_ResetAndDecodeReplyMinimal(benchmark::State& state)
{
    DecodeBenchmark(state, MinimalPayload(), true);
}
BENCHMARK(BM_ResetAndDecodeReplyMinimal);

}  // namespace
