#include "product_table.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace ql5;

TEST(ProductTable, LookupByTypeTakesTheFirstRow)
{
    char name[256];
    ASSERT_EQ(LookupProductName(13, name, sizeof name), 1);
    EXPECT_STREQ(name, "PortServer TS 4");
    ASSERT_EQ(LookupProductName(0, name, sizeof name), 1);
    EXPECT_STREQ(name, "PortServer TS 2 MEI");  // row 18 shares type 0 and is never reached
    ASSERT_EQ(LookupProductName(16, name, sizeof name), 1);
    EXPECT_STREQ(name, "Digi One EM");
}

TEST(ProductTable, MissWithoutMatchOrBufferLeavesBufferAlone)
{
    char name[8] = "same";
    EXPECT_EQ(LookupProductName(17, name, sizeof name), 0);
    EXPECT_STREQ(name, "same");
    EXPECT_EQ(LookupProductName(1, nullptr, 10), 0);
    EXPECT_EQ(LookupProductName(1, name, 0), 0);
    EXPECT_STREQ(name, "same");
}

TEST(ProductTable, NameIsCutToCapacityAndZeroFilled)
{
    char name[8];
    std::memset(name, 'x', sizeof name);
    ASSERT_EQ(LookupProductName(1, name, 6), 1);
    EXPECT_STREQ(name, "PortS");
    EXPECT_EQ(name[6], 'x');
}

TEST(ProductTable, PortCountByExactName)
{
    std::uint8_t count = 99;
    EXPECT_EQ(LookupPortCount("PortServer TS 4 MEI", &count), 1);
    EXPECT_EQ(count, 4);
    EXPECT_EQ(LookupPortCount("PortServer II Rack", &count), 1);
    EXPECT_EQ(count, 16);
    count = 99;
    EXPECT_EQ(LookupPortCount("PortServer TS 8 ", &count), 0);
    EXPECT_EQ(LookupPortCount("portserver ts 8", &count), 0);
    EXPECT_EQ(LookupPortCount("Digi Connect ME", &count), 0);
    EXPECT_EQ(count, 99);
    EXPECT_EQ(LookupPortCount(nullptr, &count), 0);
    EXPECT_EQ(LookupPortCount("Digi One SP", nullptr), 0);
}
