// SPDX-License-Identifier: Apache-2.0
// The rules that decide where a request goes and which answers count, on a
// scripted table of socket calls: no network, no root. What needs real
// sockets (the bytes on the wire, the kernel's routing, descriptor limits)
// stays in the lab.
#include "context.h"
#include "interface_sockets.h"
#include "packet_format.h"
#include "platform/request_sockets.h"
#include "sweep_hosts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

using namespace ql5;
using ql5::platform::SocketHandle;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

namespace {

// The address a.b.c.d in network order.
std::uint32_t Ip(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d)
{
    const std::uint8_t bytes[4] = {a, b, c, d};
    std::uint32_t address = 0;
    std::memcpy(&address, bytes, sizeof address);
    return address;
}

// The workstation: two local addresses on one network, one on another, and
// the loopback, which discovery leaves alone.
const std::uint32_t kA = Ip(10, 1, 0, 5);
const std::uint32_t kA2 = Ip(10, 1, 0, 6);
const std::uint32_t kB = Ip(10, 2, 0, 5);
const std::uint32_t kLoopback = Ip(127, 0, 0, 1);
const std::uint32_t kGroup = Ip(224, 0, 5, 128);
const std::uint32_t kOnA = Ip(10, 1, 0, 20);  // converters' addresses
const std::uint32_t kOnB = Ip(10, 2, 0, 20);
const std::uint32_t kMask24 = Ip(255, 255, 255, 0);
const std::uint8_t kMac[6] = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01};

// A reply of the scripted converter: arriving on the socket of `local`, from
// `source`, `after` the latest request it answers left.
struct ScriptedReply {
    int after;  // milliseconds
    std::uint32_t local;
    std::uint32_t source;
    std::uint16_t type = kDiscoveryReply;
    bool otherMac = false;  // another converter's
};

// Another converter's replies every 10 ms for 3 s on the socket of `local`,
// so that it is readable in every cycle of a wait.
std::vector<ScriptedReply> Flood(std::uint32_t local)
{
    std::vector<ScriptedReply> replies;
    for (int after = 0; after < 3000; after += 10)
        replies.push_back({after, local, kOnB, kDiscoveryReply, true});
    return replies;
}

struct Sent {
    std::uint32_t local;
    std::uint32_t destination;
    bool operator==(const Sent&) const = default;
};

// The scripted system: its interfaces, the local addresses whose socket
// cannot be opened, and the replies that come; it notes what was sent.
// Used by the test's own thread only.
class ScriptedSockets final : public platform::RequestSockets {
public:
    std::vector<platform::InterfaceAddress> interfaces = {
        {"lo", kLoopback, Ip(255, 0, 0, 0), true, true},
        {"eth0", kA, kMask24, true, false},
        {"eth0", kA2, kMask24, true, false},
        {"eth1", kB, kMask24, true, false},
        {"eth2", Ip(10, 3, 0, 5), kMask24, false, false},  // down
    };
    std::set<std::uint32_t> refused;
    std::map<std::uint32_t, std::uint32_t> routes;  // host: the local address toward it
    mutable std::vector<Sent> sent;

    // The replies to come from now on, and no record of what went before.
    void Script(std::vector<ScriptedReply> next)
    {
        replies = std::move(next);
        delivered_.clear();
        lastSend_.clear();
        sent.clear();
    }

    Status ListInterfaces(std::vector<platform::InterfaceAddress>& out) const noexcept override
    {
        out = interfaces;
        return {};
    }
    Status Open(std::uint32_t local, std::int32_t, SocketHandle* socket) const noexcept override
    {
        if (refused.count(local) != 0)
            return Status::Failed(Failure::kOpenSocket);
        *socket = static_cast<SocketHandle>(1000 + open_.size());
        open_[*socket] = local;
        return {};
    }
    void Close(SocketHandle socket) const noexcept override { open_.erase(socket); }
    Status OpenProbe(SocketHandle* socket) const noexcept override
    {
        *socket = static_cast<SocketHandle>(999);
        return {};
    }
    bool RouteSource(SocketHandle, std::uint32_t destination, std::uint16_t,
                     std::uint32_t* local) const noexcept override
    {
        const auto route = routes.find(destination);
        if (route == routes.end())
            return false;
        *local = route->second;
        return true;
    }
    Status Send(SocketHandle socket, const std::uint8_t* bytes, std::size_t, std::uint32_t address,
                std::uint16_t) const noexcept override
    {
        sent.push_back({open_.at(socket), address});
        lastSend_[bytes[5]] = Clock::now();  // by the request's type
        return {};
    }
    bool Receive(SocketHandle socket, std::uint8_t* buffer, std::size_t capacity, std::size_t* size,
                 std::uint32_t* source) const noexcept override
    {
        const std::size_t due = Due(open_.at(socket));
        if (due == replies.size())
            return false;
        delivered_.insert(due);
        const ScriptedReply& reply = replies[due];
        // The MAC, then the result: the converter carried the command out.
        const auto last = static_cast<std::uint8_t>(reply.otherMac ? 9 : 1);
        const std::uint8_t bytes[] = {
            0x44, 0x49, 0x47, 0x49, 0,    static_cast<std::uint8_t>(reply.type),
            0,    11,   1,    6,    0x02, 0,
            0,    0,    0,    last, 10,   1,
            0};
        std::memcpy(buffer, bytes, std::min(capacity, sizeof bytes));
        *size = sizeof bytes;
        *source = reply.source;
        return true;
    }
    Status Watch(platform::SocketWaiter&, const SocketHandle* sockets,
                 std::size_t count) const noexcept override
    {
        watched_.assign(sockets, sockets + count);
        return {};
    }
    Status Wait(platform::SocketWaiter&, std::chrono::microseconds timeout,
                std::size_t* ready) const noexcept override
    {
        const Clock::time_point end = Clock::now() + timeout;
        while ((*ready = CountReadable()) == 0 && Clock::now() < end)
            std::this_thread::sleep_for(milliseconds(5));
        return {};
    }
    bool Readable(const platform::SocketWaiter&, std::size_t index) const noexcept override
    {
        return Due(open_.at(watched_[index])) != replies.size();
    }

private:
    // The first reply that has arrived on the local address and is not read
    // yet; replies.size() when there is none.
    std::size_t Due(std::uint32_t local) const
    {
        for (std::size_t i = 0; i < replies.size(); ++i) {
            const auto request = lastSend_.find(replies[i].type - 1);
            if (replies[i].local == local && delivered_.count(i) == 0 &&
                request != lastSend_.end() &&
                Clock::now() >= request->second + milliseconds(replies[i].after))
                return i;
        }
        return replies.size();
    }
    std::size_t CountReadable() const
    {
        return static_cast<std::size_t>(
            std::count_if(watched_.begin(), watched_.end(),
                          [&](SocketHandle s) { return Due(open_.at(s)) != replies.size(); }));
    }

    std::vector<ScriptedReply> replies;
    mutable std::map<SocketHandle, std::uint32_t> open_;
    mutable std::vector<SocketHandle> watched_;
    mutable std::set<std::size_t> delivered_;
    mutable std::map<int, Clock::time_point> lastSend_;
};

class RequestRules : public ::testing::Test {
protected:
    void SetUp() override
    {
        handle_ = OpenContext(QL5_PROTOCOL_MAGIC);
        ASSERT_NE(handle_, nullptr);
        ResolveContext(handle_)->sockets = &calls_;
        ResolveContext(handle_)->requestTimeLimit = -3000000;  // 300 ms
    }
    void TearDown() override { CloseContext(handle_); }

    std::string StatusText() const
    {
        char text[256] = {};
        GetStatusText(handle_, text, sizeof text);
        return text;
    }
    std::pair<std::uint32_t, std::uint32_t> ReplySource() const
    {
        std::uint32_t local = 0, source = 0;
        GetReplySource(handle_, &local, &source);
        return {local, source};
    }

    ScriptedSockets calls_;
    DiscoveryHandle handle_ = nullptr;
};

// The first answer opens a window of 500 ms; all answers in it are judged by
// the rule against impostors, none after it.
TEST_F(RequestRules, TheLocatingWindowAndTheAmbiguityRefusal)
{
    struct Row {
        const char* what;
        std::vector<ScriptedReply> replies;
        std::int32_t result;
        std::uint32_t local;   // the answer taken: where it arrived
        std::uint32_t source;  // and where from
        const char* status;
    };
    const std::vector<Row> rows = {
        {"one answer", {{0, kB, kOnB}}, 0, kB, kOnB, "Operation Successful"},
        {"a late first answer", {{250, kB, kOnB}}, 0, kB, kOnB, "Operation Successful"},
        {"another source in the window",
         {{0, kA, kOnA}, {300, kB, kOnB}},
         -1,
         0,
         0,
         "on the local addresses 10.1.0.5 and 10.2.0.5"},
        {"another source after the window",
         {{0, kA, kOnA}, {650, kB, kOnB}},
         0,
         kA,
         kOnA,
         "Operation Successful"},
        {"one source on two links into its network",
         {{0, kA, kOnA}, {100, kA2, kOnA}},
         0,
         kA,
         kOnA,
         "Operation Successful"},
        {"one source heard on a network it is not on",
         {{0, kA, kOnA}, {100, kB, kOnA}},
         -1,
         0,
         0,
         "more than one address"},
        {"no answer", {}, -1, 0, 0, "Operation Successful"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        calls_.Script(row.replies);
        SetDeviceSource(handle_, kMac, 0, 0);  // forget the last row's converter
        DeviceRecordExchange record{};
        const auto start = Clock::now();
        EXPECT_EQ(QueryDeviceAt(handle_, 0, 0, kMac, 0, &record), row.result);
        const auto took = Clock::now() - start;
        EXPECT_NE(StatusText().find(row.status), std::string::npos) << StatusText();
        EXPECT_EQ(ReplySource(), std::make_pair(row.local, row.source));
        // The window is waited out whenever an answer came.
        if (!row.replies.empty()) {
            EXPECT_GE(took, milliseconds(row.replies.front().after + 500));
        }
    }
}

// Where a query leaves from, and to where: every local address that discovery
// uses, or the one the caller names; the group, or the device's own address.
TEST_F(RequestRules, TheLocalAddressAndTheRouteToADeviceAddress)
{
    struct Row {
        const char* what;
        std::uint32_t local;
        std::uint32_t device;
        std::set<std::uint32_t> refused;
        std::vector<Sent> sent;
        const char* status;
    };
    const std::uint32_t elsewhere = Ip(10, 9, 9, 9);
    const std::vector<Row> rows = {
        {"every address that is up and no loopback",
         0,
         0,
         {},
         {{kA, kGroup}, {kA2, kGroup}, {kB, kGroup}},
         "Operation Successful"},
        {"the address named", kB, 0, {}, {{kB, kGroup}}, "Operation Successful"},
        {"a device address from the address named",
         kB,
         kOnB,
         {},
         {{kB, kOnB}},
         "Operation Successful"},
        {"a device address without a local address", 0, kOnB, {}, {}, nullptr},
        {"not an address of this host", elsewhere, 0, {}, {}, "10.9.9.9 is not an IPv4 address"},
        {"the loopback", kLoopback, 0, {}, {}, "127.0.0.1 is not an IPv4 address"},
        {"an address whose socket cannot be opened is skipped",
         0,
         0,
         {kA},
         {{kA2, kGroup}, {kB, kGroup}},
         "Operation Successful"},
        {"no socket at all", 0, 0, {kA, kA2, kB}, {}, "cannot open a socket on 10.1.0.5"},
        {"the named address's socket cannot be opened",
         kB,
         0,
         {kB},
         {},
         "cannot open a socket on 10.2.0.5"},
    };
    ResolveContext(handle_)->requestTimeLimit = -1000000;  // 100 ms: none is answered
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        calls_.refused = row.refused;
        calls_.Script({});
        DeviceRecordExchange record{};
        EXPECT_EQ(QueryDeviceAt(handle_, row.local, row.device, kMac, 0, &record), -1);
        EXPECT_EQ(calls_.sent, row.sent);
        if (row.status != nullptr) {
            EXPECT_NE(StatusText().find(row.status), std::string::npos) << StatusText();
        }
    }
}

// A command goes only where its converter was located, after a locating
// query that found one converter, and counts only a reply from the source that
// answered there.
TEST_F(RequestRules, ACommandLeavesFromWhereItsConverterAnswered)
{
    struct Row {
        const char* what;
        std::uint32_t local;
        std::uint32_t device;
        std::vector<ScriptedReply> replies;
        std::int32_t result;
        std::vector<Sent> sent;
    };
    const Sent everywhere[] = {{kA, kGroup}, {kA2, kGroup}, {kB, kGroup}};
    const std::vector<ScriptedReply> twoSources = {
        {0, kA, kOnA}, {0, kB, kOnB}, {0, kB, kOnB, kRebootReply}};
    const std::vector<Row> rows = {
        {"the located source answers",
         0,
         0,
         {{0, kB, kOnB}, {0, kB, kOnB, kRebootReply}},
         0,
         {everywhere[0], everywhere[1], everywhere[2], {kB, kGroup}}},
        {"another source answers",
         0,
         0,
         {{0, kB, kOnB}, {0, kB, Ip(10, 2, 0, 21), kRebootReply}},
         -1,
         {everywhere[0], everywhere[1], everywhere[2], {kB, kGroup}}},
        {"two sources: no command",
         0,
         0,
         twoSources,
         -1,
         {everywhere[0], everywhere[1], everywhere[2]}},
        {"two sources, one local address named",
         kB,
         0,
         twoSources,
         0,
         {{kB, kGroup}, {kB, kGroup}}},
        {"a device address", kB, kOnB, twoSources, 0, {{kB, kOnB}, {kB, kOnB}}},
        {"a device address without a local address", 0, kOnB, twoSources, -1, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SetDeviceSource(handle_, kMac, 0, 0);
        calls_.Script(row.replies);
        EXPECT_EQ(RebootDeviceAt(handle_, row.local, row.device, kMac, "secret"), row.result)
            << StatusText();
        EXPECT_EQ(calls_.sent, row.sent);
    }
}

// Replies that are not the awaited one (another converter's, here a flood of
// them) neither end the wait nor keep it beyond the time limit; the request
// leaves once on each address and is never repeated.
TEST_F(RequestRules, StrayRepliesNeitherEndTheWaitNorOutlastTheLimit)
{
    struct Row {
        const char* what;
        bool command;
        std::vector<ScriptedReply> replies;
        std::int32_t result;
    };
    std::vector<ScriptedReply> answered = Flood(kB);
    answered.push_back({250, kB, kOnB});
    const std::vector<Row> rows = {
        {"a query that no one answers", false, Flood(kB), -1},
        {"a command that no one answers", true, Flood(kB), -1},
        {"a query answered behind the strays", false, answered, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SetDeviceSource(handle_, kMac, 0, 0);
        calls_.Script(row.replies);
        DeviceRecordExchange record;
        std::memset(&record, 0x5A, sizeof record);
        const auto start = Clock::now();
        const std::int32_t result = row.command ? RebootDevice(handle_, kMac, "secret")
                                                : QueryDeviceAt(handle_, 0, 0, kMac, 0, &record);
        const auto took = Clock::now() - start;
        EXPECT_EQ(result, row.result);
        EXPECT_EQ(calls_.sent.size(), 3u);
        if (row.result != 0) {
            EXPECT_EQ(record.recordSize, 0x5A5A5A5Au);  // written only on success
            EXPECT_EQ(GetStatusCode(handle_), 0);
            EXPECT_EQ(StatusText(), "Operation Successful");
            EXPECT_GE(took, milliseconds(300));
            EXPECT_LT(took, milliseconds(1500));  // the flood lasts 3 s
        }
    }
}

// The sweep's request to a named host leaves from the socket of the local
// address that the routing picks for it, so that the reply comes back to a
// socket that listens; a host reached through no listening socket (the
// loopback, an address whose socket could not be opened) or no route at all
// is skipped.
TEST_F(RequestRules, ANamedHostIsAskedFromTheLocalAddressOfItsRoute)
{
    const std::uint32_t viaLoopback = Ip(10, 9, 9, 9), unreachable = Ip(10, 8, 8, 8);
    const std::uint32_t viaRefused = Ip(10, 1, 0, 30);
    calls_.routes = {{kOnB, kB}, {viaLoopback, kLoopback}, {kOnA, kA}, {viaRefused, kA2}};
    calls_.refused = {kA2};
    calls_.Script({});
    InterfaceSocketSet sockets(calls_);
    DiscoveryContext* context = ResolveContext(handle_);
    ASSERT_TRUE(OpenInterfaceSockets(context, &sockets));
    HostSweep sweep(context, sockets,
                    std::make_shared<const SweepHostList>(
                        SweepHostList{kOnB, viaLoopback, unreachable, viaRefused, kOnA}));
    sweep.SendDue();
    EXPECT_TRUE(sweep.Done());
    EXPECT_EQ(calls_.sent, (std::vector<Sent>{{kB, kOnB}, {kA, kOnA}}));
}

}  // namespace
