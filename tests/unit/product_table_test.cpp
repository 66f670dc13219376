// SPDX-License-Identifier: Apache-2.0
#include "product_table.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace ql5;

TEST(ProductTable, LookupByTypeTakesTheFirstRow)
{
    char name[256];
    ASSERT_TRUE(LookupProductName(13, name, sizeof name));
    EXPECT_STREQ(name, "PortServer TS 4");
    ASSERT_TRUE(LookupProductName(0, name, sizeof name));
    EXPECT_STREQ(name, "PortServer TS 2 MEI");  // row 18 shares type 0 and is never reached
    ASSERT_TRUE(LookupProductName(16, name, sizeof name));
    EXPECT_STREQ(name, "Digi One EM");
}

TEST(ProductTable, MissWithoutMatchOrBufferLeavesBufferAlone)
{
    char name[8] = "same";
    EXPECT_FALSE(LookupProductName(17, name, sizeof name));
    EXPECT_STREQ(name, "same");
    EXPECT_FALSE(LookupProductName(1, nullptr, 10));
    EXPECT_FALSE(LookupProductName(1, name, 0));
    EXPECT_STREQ(name, "same");
}

TEST(ProductTable, NameIsCutToCapacityAndZeroFilled)
{
    char name[8];
    std::memset(name, 'x', sizeof name);
    ASSERT_TRUE(LookupProductName(1, name, 6));
    EXPECT_STREQ(name, "PortS");
    EXPECT_EQ(name[6], 'x');
}

TEST(ProductTable, PortCountByExactName)
{
    std::uint8_t count = 99;
    EXPECT_TRUE(LookupPortCount("PortServer TS 4 MEI", &count));
    EXPECT_EQ(count, 4);
    EXPECT_TRUE(LookupPortCount("PortServer II Rack", &count));
    EXPECT_EQ(count, 16);
    count = 99;
    EXPECT_FALSE(LookupPortCount("PortServer TS 8 ", &count));
    EXPECT_FALSE(LookupPortCount("portserver ts 8", &count));
    EXPECT_FALSE(LookupPortCount("Digi Connect ME", &count));
    EXPECT_EQ(count, 99);
    EXPECT_FALSE(LookupPortCount(nullptr, &count));
    EXPECT_FALSE(LookupPortCount("Digi One SP", nullptr));
}
