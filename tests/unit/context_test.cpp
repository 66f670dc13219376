// SPDX-License-Identifier: Apache-2.0
#include "context.h"
#include "device_record.h"
#include "platform/network_startup.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

using namespace ql5;

namespace {

std::string StatusText(DiscoveryHandle handle)
{
    char text[256] = {};
    if (GetStatusText(handle, text, sizeof text) != 0)
        return "<failed>";
    return text;
}

// Offers a record to the queue as the sweep would, with a recognisable MAC,
// and frees what the queue gives back, as the sweep would.
void QueueRecord(DiscoveryHandle handle, std::uint32_t macTail, std::uint32_t localAddress = 1,
                 std::uint8_t dhcpMode = 0)
{
    DiscoveryContext* context = ResolveContext(handle);
    ASSERT_NE(context, nullptr);
    DeviceRecord* record = NewDeviceRecord(context);
    ASSERT_NE(record, nullptr);
    record->exchange.macAddress[3] = static_cast<std::uint8_t>(macTail >> 16);
    record->exchange.macAddress[4] = static_cast<std::uint8_t>(macTail >> 8);
    record->exchange.macAddress[5] = static_cast<std::uint8_t>(macTail);
    record->exchange.localAddress = localAddress;
    record->exchange.dhcpMode = dhcpMode;
    record->resultFlag = 1;  // internal tail: must never reach a caller
    record->code231List.Add(21);
    FreeDeviceRecord(context->replyQueue->Offer(record));
}

// Address reuse is what makes a stale handle dangerous; AddressSanitizer's
// quarantine keeps freed memory from being reused, so only the plain build
// can show that it happened.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kFreedMemoryIsReused = false;
#else
constexpr bool kFreedMemoryIsReused = true;
#endif

}  // namespace

TEST(Context, MagicZeroGivesNoContextAndStartsNothing)
{
    const int before = platform::NetworkingStartCount();
    EXPECT_EQ(OpenContext(0), nullptr);
    EXPECT_EQ(platform::NetworkingStartCount(), before);
}

TEST(Context, FreshContextReportsSuccessAndEmptyQueue)
{
    DiscoveryHandle handle = OpenContext(QL5_PROTOCOL_MAGIC);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(GetStatusCode(handle), 0);
    EXPECT_EQ(StatusText(handle), "Operation Successful");
    EXPECT_EQ(GetDeviceCount(handle), 0);
    DeviceRecordExchange record;
    EXPECT_EQ(ReadDevices(handle, &record, 1), 0);

    const DiscoveryContext* context = ResolveContext(handle);
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(context->multicastTtl, 64);
    EXPECT_EQ(context->groupPort, 2362);
    const std::uint8_t group[4] = {224, 0, 5, 128};
    EXPECT_EQ(std::memcmp(&context->groupAddress, group, 4), 0);
    EXPECT_EQ(context->requestTimeLimit, static_cast<std::int64_t>(0xFFFFFFFFFB879740ull));
    CloseContext(handle);
}

TEST(Context, ContextsAreIndependentAndEachHoldsOneNetworkStart)
{
    const int before = platform::NetworkingStartCount();
    DiscoveryHandle first = OpenContext(QL5_PROTOCOL_MAGIC);
    DiscoveryHandle second = OpenContext(QL5_PROTOCOL_MAGIC);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(platform::NetworkingStartCount(), before + 2);
    CloseContext(first);
    EXPECT_EQ(platform::NetworkingStartCount(), before + 1);
    EXPECT_EQ(GetStatusCode(second), 0);
    EXPECT_EQ(IsLiveContext(second), 1);
    CloseContext(second);
    EXPECT_EQ(platform::NetworkingStartCount(), before);
}

TEST(Context, ClosedHandleFailsEveryOperation)
{
    DiscoveryHandle handle = OpenContext(QL5_PROTOCOL_MAGIC);
    ASSERT_NE(handle, nullptr);
    QueueRecord(handle, 1);
    CloseContext(handle);  // frees the queued record too (checked by ASan)

    char text[8] = "keep";
    DeviceRecordExchange record;
    EXPECT_EQ(GetStatusCode(handle), -1);
    EXPECT_EQ(GetDeviceCount(handle), -1);
    EXPECT_EQ(GetStatusText(handle, text, sizeof text), -1);
    EXPECT_STREQ(text, "keep");
    EXPECT_EQ(ReadDevices(handle, &record, 1), -1);
    CloseContext(handle);
    StopDiscovery(handle);
    EXPECT_EQ(GetStatusCode(nullptr), -1);
    CloseContext(nullptr);
}

TEST(Context, HandleThatWasNeverOpenedIsRefusedWithoutBeingRead)
{
    // A handle is only ever compared with the registry, never dereferenced, so
    // an address that is no context at all is safe to pass.
    auto bogus = reinterpret_cast<DiscoveryHandle>(static_cast<std::uintptr_t>(0x10));
    EXPECT_EQ(IsLiveContext(bogus), 0);
    EXPECT_EQ(GetStatusCode(bogus), -1);
    EXPECT_EQ(GetDeviceCount(bogus), -1);
    CloseContext(bogus);
}

TEST(Context, GetStatusTextCutsAndTerminates)
{
    DiscoveryHandle handle = OpenContext(QL5_PROTOCOL_MAGIC);
    ASSERT_NE(handle, nullptr);

    char buffer[32];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(GetStatusText(handle, buffer, 0), -1);
    EXPECT_EQ(buffer[0], 'x');
    EXPECT_EQ(GetStatusText(handle, nullptr, 10), -1);

    EXPECT_EQ(GetStatusText(handle, buffer, 1), 0);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(buffer[1], 'x');

    EXPECT_EQ(GetStatusText(handle, buffer, 10), 0);
    EXPECT_STREQ(buffer, "Operation");  // 9 characters and the NUL
    EXPECT_EQ(buffer[10], 'x');

    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(GetStatusText(handle, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "Operation Successful");
    for (std::size_t i = std::strlen(buffer); i < sizeof buffer; ++i)
        EXPECT_EQ(buffer[i], '\0') << "byte " << i;
    CloseContext(handle);
}

TEST(Context, SetStatusKeepsAtMost255Characters)
{
    DiscoveryHandle handle = OpenContext(QL5_PROTOCOL_MAGIC);
    DiscoveryContext* context = ResolveContext(handle);
    ASSERT_NE(context, nullptr);
    const std::string longText(300, 'm');
    SetStatus(context, 5, longText.c_str());
    EXPECT_EQ(GetStatusCode(handle), 5);
    EXPECT_EQ(StatusText(handle), std::string(255, 'm'));

    SetStatus(context, 7, nullptr);  // ignored
    EXPECT_EQ(GetStatusCode(handle), 5);
    SetStatus(context, 0, "");
    EXPECT_EQ(StatusText(handle), "");
    CloseContext(handle);
}

TEST(Context, ReadDevicesCopiesExchangePartOnlyAndFreesRecords)
{
    DiscoveryHandle handle = OpenContext(QL5_PROTOCOL_MAGIC);
    ASSERT_NE(handle, nullptr);
    QueueRecord(handle, 1);
    QueueRecord(handle, 2);
    QueueRecord(handle, 3);
    EXPECT_EQ(GetDeviceCount(handle), 3);

    DeviceRecordExchange records[3];
    EXPECT_EQ(ReadDevices(handle, records, 0), -1);
    EXPECT_EQ(ReadDevices(handle, nullptr, 1), -1);
    EXPECT_EQ(GetDeviceCount(handle), 3);

    // Four bytes of guard behind two elements prove that exactly 1,144 bytes
    // are written per element.
    struct {
        DeviceRecordExchange records[2];
        std::uint8_t guard[4];
    } out;
    std::memset(&out, 0xAB, sizeof out);
    EXPECT_EQ(ReadDevices(handle, out.records, 2), 2);
    EXPECT_EQ(out.records[0].macAddress[5], 1);
    EXPECT_EQ(out.records[1].macAddress[5], 2);
    EXPECT_EQ(out.records[0].recordSize, 1144u);
    EXPECT_EQ(out.records[0].layoutTag, 256u);
    EXPECT_EQ(out.records[0].extensionSize, 64u);
    EXPECT_EQ(out.records[0].protocolMagic, QL5_PROTOCOL_MAGIC);
    for (std::uint8_t byte : out.guard)
        EXPECT_EQ(byte, 0xAB);

    std::memset(records, 0xCD, sizeof records);
    EXPECT_EQ(ReadDevices(handle, records, 3), 1);
    EXPECT_EQ(records[0].macAddress[5], 3);
    EXPECT_EQ(records[1].recordSize, 0xCDCDCDCDu);  // untouched
    EXPECT_EQ(GetDeviceCount(handle), 0);
    CloseContext(handle);
}

TEST(Context, NotifyTargetTakesFirstUsableMode)
{
    DiscoveryHandle handle = OpenContext(QL5_PROTOCOL_MAGIC);
    DiscoveryContext* context = ResolveContext(handle);
    ASSERT_NE(context, nullptr);
    Ql5WindowHandle window = Ql5CreateMessageWindow(
        [](Ql5WindowHandle, uint32_t, uintptr_t, intptr_t, void*) {}, nullptr);
    ASSERT_NE(window, nullptr);
    auto callback = [](DiscoveryHandle, std::int32_t) {};

    SetNotifyTarget(context, callback, window, 0x8002, context->stopEvent, 9);
    EXPECT_EQ(context->notify.callback, callback);
    EXPECT_EQ(context->notify.window, nullptr);
    EXPECT_EQ(context->notify.userValue, 9);

    SetNotifyTarget(context, nullptr, window, 0x8002, context->stopEvent, 4);
    EXPECT_EQ(context->notify.callback, nullptr);
    EXPECT_EQ(context->notify.window, window);
    EXPECT_EQ(context->notify.message, 0x8002u);
    EXPECT_EQ(context->notify.event, nullptr);
    EXPECT_EQ(context->notify.userValue, 4);

    Ql5DestroyMessageWindow(window);
    SetNotifyTarget(context, nullptr, window, 0x8002, context->stopEvent, 4);
    EXPECT_EQ(context->notify.window, nullptr);
    EXPECT_EQ(context->notify.event, context->stopEvent);
    EXPECT_EQ(context->notify.userValue, 0);

    // Nothing usable: the target stays as it was.
    SetNotifyTarget(context, nullptr, nullptr, 0, nullptr, 3);
    EXPECT_EQ(context->notify.event, context->stopEvent);
    CloseContext(handle);
}

TEST(Context, RegistryHoldsUpUnderConcurrentOpenAndClose)
{
    const int before = platform::NetworkingStartCount();
    const std::int32_t registered = ContextRegistry().Count();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([] {
            for (int i = 0; i < 300; ++i) {
                DiscoveryHandle handle = OpenContext(QL5_PROTOCOL_MAGIC);
                ASSERT_NE(handle, nullptr);
                ASSERT_EQ(GetStatusCode(handle), 0);
                CloseContext(handle);
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(ContextRegistry().Count(), registered);
    EXPECT_EQ(platform::NetworkingStartCount(), before);
}

TEST(Context, ClosedHandleStaysDeadWhenANewContextReusesItsMemory)
{
    DiscoveryHandle old = OpenContext(QL5_PROTOCOL_MAGIC);
    ASSERT_NE(old, nullptr);
    const DiscoveryContext* oldRecord = ResolveContext(old);
    CloseContext(old);
    DiscoveryHandle fresh = OpenContext(QL5_PROTOCOL_MAGIC);
    ASSERT_NE(fresh, nullptr);
    if (kFreedMemoryIsReused) {
        EXPECT_EQ(ResolveContext(fresh), oldRecord) << "the case needs the memory reused";
    }
    SetStatus(ResolveContext(fresh), 5, "the new context's own");

    EXPECT_NE(fresh, old);
    EXPECT_EQ(GetStatusCode(old), -1);
    EXPECT_EQ(GetDeviceCount(old), -1);
    CloseContext(old);  // must not close the new context
    EXPECT_EQ(GetStatusCode(fresh), 5);
    EXPECT_EQ(StatusText(fresh), "the new context's own");
    CloseContext(fresh);
}

TEST(ReplyQueue, OneRecordPerMacAndLocalAddressTheNewestInTheOldestPlace)
{
    DiscoveryHandle handle = OpenContext(QL5_PROTOCOL_MAGIC);
    ASSERT_NE(handle, nullptr);
    QueueRecord(handle, 1, 10);
    QueueRecord(handle, 2, 10);
    QueueRecord(handle, 1, 20);     // the same MAC on another local address
    QueueRecord(handle, 1, 10, 1);  // a newer reply: replaces the first
    EXPECT_EQ(GetDeviceCount(handle), 3);
    DeviceRecordExchange records[3];
    ASSERT_EQ(ReadDevices(handle, records, 3), 3);
    EXPECT_EQ(records[0].macAddress[5], 1);
    EXPECT_EQ(records[0].localAddress, 10u);
    EXPECT_EQ(records[0].dhcpMode, 1);  // the newer reply, in the older one's place
    EXPECT_EQ(records[1].macAddress[5], 2);
    EXPECT_EQ(records[2].localAddress, 20u);

    // Once read, the converter's next reply is queued anew.
    QueueRecord(handle, 1, 10);
    EXPECT_EQ(GetDeviceCount(handle), 1);
    EXPECT_EQ(GetDroppedCount(handle), 0);
    CloseContext(handle);
    EXPECT_EQ(GetDroppedCount(handle), -1);
}

TEST(ReplyQueue, BeyondTheCapNewConvertersAreDroppedAndCounted)
{
    DiscoveryHandle handle = OpenContext(QL5_PROTOCOL_MAGIC);
    ASSERT_NE(handle, nullptr);
    for (std::uint32_t mac = 0; mac < QL5_MAX_PENDING_RECORDS + 5; ++mac)
        QueueRecord(handle, mac);
    EXPECT_EQ(GetDeviceCount(handle), static_cast<std::int32_t>(QL5_MAX_PENDING_RECORDS));
    EXPECT_EQ(GetDroppedCount(handle), 5);
    // A converter already waiting is still brought up to date.
    QueueRecord(handle, 7, 1, 1);
    EXPECT_EQ(GetDroppedCount(handle), 5);
    DeviceRecordExchange records[8];
    ASSERT_EQ(ReadDevices(handle, records, 8), 8);
    EXPECT_EQ(records[7].dhcpMode, 1);
    CloseContext(handle);
}

TEST(ReplyQueue, RecordsReadAreHandedBackForNewRepliesUpToTheBound)
{
    DiscoveryHandle handle = OpenContext(QL5_PROTOCOL_MAGIC);
    ASSERT_NE(handle, nullptr);
    DiscoveryContext* context = ResolveContext(handle);
    constexpr std::uint32_t kMany = ReplyQueue::kMaxSpareRecords + 44;
    for (std::uint32_t mac = 0; mac < kMany; ++mac)
        QueueRecord(handle, mac);
    std::vector<DeviceRecordExchange> read(kMany);
    ASSERT_EQ(ReadDevices(handle, read.data(), kMany), static_cast<std::int32_t>(kMany));
    std::size_t spares = 0;
    for (std::uint32_t mac = 0; mac < kMany; ++mac) {
        DeviceRecord* record = NewDeviceRecord(context);
        ASSERT_NE(record, nullptr);
        record->exchange.macAddress[4] = static_cast<std::uint8_t>(mac >> 8);
        record->exchange.macAddress[5] = static_cast<std::uint8_t>(mac);
        DeviceRecord* spare = context->replyQueue->Offer(record);
        spares += spare != nullptr ? 1 : 0;
        FreeDeviceRecord(spare);
    }
    EXPECT_EQ(spares, ReplyQueue::kMaxSpareRecords);
    EXPECT_EQ(GetDeviceCount(handle), static_cast<std::int32_t>(kMany));
    CloseContext(handle);
}

TEST(SweepHosts, KeepsEachAddressOnceAndRefusesWhatNoHostIs)
{
    DiscoveryHandle handle = OpenContext(QL5_PROTOCOL_MAGIC);
    ASSERT_NE(handle, nullptr);
    const DiscoveryContext* context = ResolveContext(handle);
    const std::uint32_t first = 0x0A05010A;   // 10.1.5.10
    const std::uint32_t second = 0x0302000A;  // 10.0.2.3
    const std::uint32_t named[] = {first, second, first};
    ASSERT_EQ(SetSweepHosts(handle, named, 3), 0);
    const std::vector<std::uint32_t> kept = {first, second};
    ASSERT_NE(context->sweepHosts, nullptr);
    EXPECT_EQ(*context->sweepHosts, kept);

    const std::vector<std::uint32_t> beyondTheCap(QL5_MAX_SWEEP_HOSTS + 1, first);
    struct Refused {
        const char* what;
        std::vector<std::uint32_t> addresses;
        std::uint32_t count;
    };
    const Refused rows[] = {
        {"more than a /16", beyondTheCap, QL5_MAX_SWEEP_HOSTS + 1},
        {"null addresses", {}, 1},
        {"0.0.0.0", {first, 0}, 2},
        {"the discovery group", {0x800500E0}, 1},
        {"reserved 240.0.0.1", {0x010000F0}, 1},
        {"limited broadcast", {0xFFFFFFFF}, 1},
    };
    for (const Refused& row : rows) {
        const std::uint32_t* addresses = row.addresses.empty() ? nullptr : row.addresses.data();
        EXPECT_EQ(SetSweepHosts(handle, addresses, row.count), -1) << row.what;
        EXPECT_EQ(*context->sweepHosts, kept) << row.what;
    }
    const std::vector<std::uint32_t> wholeSlash16(QL5_MAX_SWEEP_HOSTS, second);
    EXPECT_EQ(SetSweepHosts(handle, wholeSlash16.data(), QL5_MAX_SWEEP_HOSTS), 0);
    EXPECT_EQ(SetSweepHosts(handle, nullptr, 0), 0);
    EXPECT_EQ(context->sweepHosts, nullptr);
    CloseContext(handle);
    EXPECT_EQ(SetSweepHosts(handle, named, 1), -1);
}
