// SPDX-License-Identifier: Apache-2.0
#include "product_table.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace ql5;

TEST(ProductTable, LookupByTypeTakesTheFirstRow)
{
    char name[256];
    ASSERT_TRUE(LookupProductName(13, name, sizeof name));
    EXPECT_STREQ(name, "QL5 Hub 4");
    ASSERT_TRUE(LookupProductName(0, name, sizeof name));
    EXPECT_STREQ(name, "QL5 Hub 2 Multi-Interface");  // row 18 shares type 0 and is never reached
    ASSERT_TRUE(LookupProductName(16, name, sizeof name));
    EXPECT_STREQ(name, "QL5 Single Embedded");
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
    EXPECT_STREQ(name, "QL5 H");
    EXPECT_EQ(name[6], 'x');
}

TEST(ProductTable, PortCountByExactName)
{
    std::uint8_t count = 99;
    EXPECT_TRUE(LookupPortCount("QL5 Hub 4 Multi-Interface", &count));
    EXPECT_EQ(count, 4);
    EXPECT_TRUE(LookupPortCount("QL5 Hub Legacy Rackmount", &count));
    EXPECT_EQ(count, 16);
    count = 99;
    EXPECT_FALSE(LookupPortCount("QL5 Hub 8 ", &count));
    EXPECT_FALSE(LookupPortCount("ql5 hub 8", &count));
    EXPECT_FALSE(LookupPortCount("QL5 Core Module", &count));
    EXPECT_EQ(count, 99);
    EXPECT_FALSE(LookupPortCount(nullptr, &count));
    EXPECT_FALSE(LookupPortCount("QL5 Single Serial", nullptr));
}
