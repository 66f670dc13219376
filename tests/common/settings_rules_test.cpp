// SPDX-License-Identifier: Apache-2.0
// The rules that static settings pass before they are sent, one table row per
// case: set-ip, apply and the IP settings window share them.
#include <ql5common/address_text.h>
#include <ql5common/settings_rules.h>

#include <gtest/gtest.h>

using namespace ql5common;

TEST(SettingsRules, RefuseWhatMakesAConverterUnreachable)
{
    const struct {
        const char *ip, *mask, *gateway;
        bool force;
        SettingsProblem problem;
    } rows[] = {
        {"198.51.100.20", "255.255.255.0", "198.51.100.1", false, SettingsProblem::kNone},
        {"198.51.100.20", "255.255.255.0", "0.0.0.0", false, SettingsProblem::kNone},
        {"10.0.0.1", "255.255.255.254", "0.0.0.0", false, SettingsProblem::kNone},  // a /31
        {"0.0.0.0", "255.255.255.0", "0.0.0.0", false, SettingsProblem::kZeroAddress},
        {"198.51.100.20", "0.0.0.0", "0.0.0.0", false, SettingsProblem::kZeroMask},
        {"198.51.100.20", "255.255.0.255", "0.0.0.0", false, SettingsProblem::kMaskNotContiguous},
        {"239.1.2.3", "255.255.255.0", "0.0.0.0", false, SettingsProblem::kUnusableAddress},
        {"255.255.255.255", "255.255.255.0", "0.0.0.0", false, SettingsProblem::kUnusableAddress},
        {"240.0.0.1", "255.255.255.0", "0.0.0.0", false, SettingsProblem::kUnusableAddress},
        {"127.0.0.1", "255.0.0.0", "0.0.0.0", true, SettingsProblem::kUnusableAddress},
        {"198.51.100.255", "255.255.255.0", "0.0.0.0", false, SettingsProblem::kSubnetEdge},
        {"198.51.100.0", "255.255.255.0", "0.0.0.0", false, SettingsProblem::kSubnetEdge},
        {"198.51.100.20", "255.255.255.0", "224.0.0.1", true, SettingsProblem::kUnusableGateway},
        {"198.51.100.20", "255.255.255.0", "192.0.2.1", false,
         SettingsProblem::kGatewayOutsideSubnet},
        {"198.51.100.20", "255.255.255.0", "192.0.2.1", true, SettingsProblem::kNone},
    };
    for (const auto& row : rows) {
        const auto verdict =
            CheckStaticSettings(*ParseDottedDecimal(row.ip), *ParseDottedDecimal(row.mask),
                                *ParseDottedDecimal(row.gateway), row.force);
        EXPECT_EQ(verdict.problem, row.problem) << row.ip << " " << row.mask << " " << row.gateway;
        EXPECT_EQ(verdict.text.empty(), row.problem == SettingsProblem::kNone) << verdict.text;
    }
}
