// What `list` keeps of the replies it reads: one entry per (MAC, local
// address), the latest reply of each, in the order of first arrival, and no
// more entries than its limit.
#include "sweep_listing.h"

#include <gtest/gtest.h>

using namespace ql5ctl;

namespace {

DeviceRecordExchange Reply(std::uint8_t macTail, std::uint32_t localAddress, std::uint8_t dhcp = 0)
{
    DeviceRecordExchange record{};
    record.macAddress[0] = 0x02;
    record.macAddress[5] = macTail;
    record.localAddress = localAddress;
    record.dhcpMode = dhcp;
    return record;
}

}  // namespace

TEST(LatestReplies, OneEntryPerConverterAndNetworkTheLatestInTheFirstPlace)
{
    LatestReplies replies;
    replies.Take(Reply(1, 10));
    replies.Take(Reply(2, 10));
    replies.Take(Reply(1, 20));
    replies.Take(Reply(1, 10, 1));  // newer: replaces the first entry where it is
    const auto& records = replies.Records();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].macAddress[5], 1);
    EXPECT_EQ(records[0].localAddress, 10u);
    EXPECT_EQ(records[0].dhcpMode, 1);
    EXPECT_EQ(records[1].macAddress[5], 2);
    EXPECT_EQ(records[2].localAddress, 20u);
    EXPECT_EQ(replies.Dropped(), 0);
}

TEST(LatestReplies, BeyondTheLimitOnlyKnownEntriesAreUpdated)
{
    LatestReplies replies(2);
    replies.Take(Reply(1, 10));
    replies.Take(Reply(2, 10));
    replies.Take(Reply(3, 10));
    replies.Take(Reply(1, 20));
    replies.Take(Reply(2, 10, 1));
    ASSERT_EQ(replies.Records().size(), 2u);
    EXPECT_EQ(replies.Records()[1].dhcpMode, 1);
    EXPECT_EQ(replies.Dropped(), 2);
}
