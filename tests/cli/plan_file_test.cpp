// SPDX-License-Identifier: Apache-2.0
// Reading the plan of ql5ctl apply: rows, comments, and every kind of row
// that stops the plan, with its line number.
#include "plan_file.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace ql5ctl;

TEST(PlanFile, ReadsStaticAndDhcpRowsAndSkipsCommentsAndBlankLines)
{
    std::istringstream in(
        "# commissioning, hall 2\n"
        "02:51:c5:00:00:01, 198.51.100.40 ,255.255.255.0,198.51.100.254\r\n"
        "\n"
        "02-51-C5-00-00-02,dhcp\n");
    const Plan plan = ReadPlan(in);
    EXPECT_TRUE(plan.errors.empty());
    ASSERT_EQ(plan.rows.size(), 2u);
    EXPECT_EQ(plan.rows[0].line, 2u);
    EXPECT_EQ(ActionText(plan.rows[0]),
              "static 198.51.100.40 mask 255.255.255.0 gateway 198.51.100.254");
    EXPECT_EQ(plan.rows[1].line, 4u);
    EXPECT_TRUE(plan.rows[1].dhcp);
}

TEST(PlanFile, NamesTheLineOfEveryBadRow)
{
    const struct {
        const char* second;
        const char* message;
    } rows[] = {
        {"02:51:c5:00:00:02,dhcp,x", "a row is mac,ip,mask,gateway or mac,dhcp"},
        {"02:51:c5:00:00:0g,dhcp", "'02:51:c5:00:00:0g' is not a MAC address"},
        {"ff:ff:ff:ff:ff:ff,dhcp", "ff:ff:ff:ff:ff:ff stands for every converter"},
        {"02:51:c5:00:00:02,198.51.100.300,255.255.255.0,0.0.0.0",
         "'198.51.100.300' is not an IPv4 address (for IP)"},
        {"02:51:c5:00:00:02,0.0.0.0,255.255.255.0,0.0.0.0", "0.0.0.0 is no address"},
        {"02:51:c5:00:00:01,dhcp", "02:51:c5:00:00:01 is already planned on line 1"},
        {"02:51:c5:00:00:02,198.51.100.40,255.255.255.0,0.0.0.0",
         "198.51.100.40 is already the target of line 1"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.second);
        std::istringstream in(
            std::string("02:51:c5:00:00:01,198.51.100.40,255.255.255.0,0.0.0.0\n") + row.second +
            "\n");
        const Plan plan = ReadPlan(in);
        ASSERT_EQ(plan.errors.size(), 1u);
        EXPECT_EQ(plan.errors[0].line, 2u);
        EXPECT_EQ(plan.errors[0].message.rfind(row.message, 0), 0u) << plan.errors[0].message;
    }
}

TEST(PlanFile, ReadsTheCsvOfListByItsColumnNames)
{
    // As list --format csv writes it and a spreadsheet saves it again: a byte
    // order mark, CRLF, quoted cells and columns the plan does not use.
    std::istringstream in(
        "\xEF\xBB\xBFip,mac,name,product,interface,localAddress,dhcp,firmware,mask,gateway,dns,"
        "serialLinkPort,warnings\r\n"
        "198.51.100.40,02:51:c5:00:00:01,\"Hall 2, east\",QL5 Converter,ws0,198.51.100.1,"
        "Disabled,2.4.1,255.255.255.0,198.51.100.254,0.0.0.0,4001,\r\n"
        "198.51.100.41,02:51:c5:00:00:02,B,QL5 Converter,ws0,198.51.100.1,Enabled,2.4.1,"
        "255.255.255.0,0.0.0.0,0.0.0.0,4001,\r\n");
    const Plan plan = ReadPlan(in);
    EXPECT_TRUE(plan.errors.empty()) << plan.errors[0].message;
    ASSERT_EQ(plan.rows.size(), 2u);
    EXPECT_EQ(ActionText(plan.rows[0]),
              "static 198.51.100.40 mask 255.255.255.0 gateway 198.51.100.254");
    EXPECT_TRUE(plan.rows[1].dhcp);
    EXPECT_EQ(plan.rows[1].line, 3u);
}

TEST(PlanFile, ReadsWithinBounds)
{
    const std::string tooLong = "02:51:c5:00:00:01,dhcp," + std::string(2000, 'x') + "\n";
    std::string manyErrors;
    for (int i = 0; i < 30; ++i)
        manyErrors += "not-a-mac,dhcp\n";
    const struct {
        std::string text;
        std::size_t errors;
        std::string lastError;
    } rows[] = {
        {tooLong, 1, "the line is longer than 1,024 bytes"},
        {manyErrors, 21, "stopped after 20 errors; the rest of the plan was not read"},
        {std::string(kMaxPlanBytes + 1, '#'), 1, "the plan is larger than 10 MB"},
        {std::string(500, 'z') + ",dhcp\n", 1,
         "'" + std::string(64, 'z') + "...' is not a MAC address"},
        {"02:51:c5:00:00:01,198.51.100.40,255.255.255.0,192.0.2.1\n", 1,
         "gateway 192.0.2.1 is outside the subnet 198.51.100.0/24 (give --force"},
    };
    for (const auto& row : rows) {
        std::istringstream in(row.text);
        const Plan plan = ReadPlan(in);
        ASSERT_EQ(plan.errors.size(), row.errors) << row.lastError;
        EXPECT_EQ(plan.errors.back().message.rfind(row.lastError, 0), 0u)
            << plan.errors.back().message;
    }
    std::istringstream forced("02:51:c5:00:00:01,198.51.100.40,255.255.255.0,192.0.2.1\n");
    EXPECT_EQ(ReadPlan(forced, true).rows.size(), 1u);
}
