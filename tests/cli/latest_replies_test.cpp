// SPDX-License-Identifier: Apache-2.0
// What `list` keeps of the replies it reads: one entry per (MAC, local
// address), the latest reply of each, in the order of first arrival, and no
// more entries than its limit.
#include "sweep_listing.h"

#include <gtest/gtest.h>

using namespace ql5ctl;

namespace {

// Names local address 10 "ws0" and knows no other.
std::string NameOf(std::uint32_t address)
{
    return address == 10 ? "ws0" : "";
}

DeviceRecordExchange Reply(std::uint8_t macTail, std::uint32_t localAddress, std::uint8_t dhcp = 0)
{
    DeviceRecordExchange record{};
    record.macAddress[0] = 0x02;
    record.macAddress[5] = macTail;
    record.localAddress = localAddress;
    record.presenceFlags = QL5_HAS_DHCP_MODE;
    record.dhcpMode = dhcp;
    return record;
}

}  // namespace

TEST(LatestReplies, OneEntryPerConverterAndNetworkTheLatestInTheFirstPlace)
{
    LatestReplies replies(NameOf);
    replies.Take(Reply(1, 10));
    replies.Take(Reply(2, 10));
    replies.Take(Reply(1, 20));
    replies.Take(Reply(1, 10, 1));  // newer: replaces the first entry where it is
    const auto& views = replies.Views();
    ASSERT_EQ(views.size(), 3u);
    EXPECT_EQ(views[0].mac, "02:00:00:00:00:01");
    EXPECT_EQ(views[0].localAddress, "10.0.0.0");
    EXPECT_EQ(views[0].interfaceName, "ws0");
    EXPECT_EQ(views[0].dhcp, true);
    EXPECT_EQ(views[1].mac, "02:00:00:00:00:02");
    EXPECT_EQ(views[2].localAddress, "20.0.0.0");
    EXPECT_EQ(views[2].interfaceName, "");
    EXPECT_EQ(replies.Dropped(), 0);
}

TEST(LatestReplies, BeyondTheLimitOnlyKnownEntriesAreUpdated)
{
    LatestReplies replies(NameOf, 2);
    replies.Take(Reply(1, 10));
    replies.Take(Reply(2, 10));
    replies.Take(Reply(3, 10));
    replies.Take(Reply(1, 20));
    replies.Take(Reply(2, 10, 1));
    ASSERT_EQ(replies.Views().size(), 2u);
    EXPECT_EQ(replies.Views()[1].dhcp, true);
    EXPECT_EQ(replies.Dropped(), 2);
}

TEST(WatchHostRanges, EachRoundBeginsWhereTheLastOneStopped)
{
    const struct {
        std::size_t offset;
        double seconds;
        std::size_t count;
        std::size_t next;
    } rows[] = {
        {0, 3.0, 65536, 686},      // 750 asked in 3 s, less one burst
        {686, 3.0, 65536, 1372},   // the next round goes on from there
        {65000, 3.0, 65536, 150},  // and wraps round at the end of the range
        {10, 3.0, 100, 10},        // a range asked whole in a round starts again
        {0, 0.1, 65536, 0},        // a round cut short moves on by nothing
        {5, 1.0, 0, 0},            // no --host at all
    };
    for (const auto& row : rows)
        EXPECT_EQ(NextHostOffset(row.offset, row.seconds, row.count), row.next)
            << row.offset << " " << row.seconds << " " << row.count;
}
