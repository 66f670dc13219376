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
