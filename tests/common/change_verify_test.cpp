// SPDX-License-Identifier: Apache-2.0
// When a reply counts as the confirmation of a change.
#include "support/sample_record.h"

#include <ql5common/address_text.h>
#include <ql5common/change_verify.h>

#include <gtest/gtest.h>

using namespace ql5common;
using ql5::sample::MakeRecord;

namespace {

std::uint32_t A(const char* text)
{
    return ParseDottedDecimal(text).value();
}

}  // namespace

TEST(ChangeVerify, ReportsSettingsComparesWhatTheChangeSet)
{
    const ExpectedSettings newStatic{false, A("198.51.100.40"), A("255.255.255.0"),
                                     A("198.51.100.254")};
    const ExpectedSettings dhcp{true};
    const struct {
        const char* name;
        ql5::sample::RecordSpec reply;
        ExpectedSettings expected;
        bool confirmed;
    } rows[] = {
        {"the new static settings", {.ip = "198.51.100.40"}, newStatic, true},
        {"static settings, DHCP reported off", {.ip = "198.51.100.40", .dhcp = 0}, newStatic, true},
        {"the old address", {.ip = "198.51.100.10"}, newStatic, false},
        {"another mask", {.ip = "198.51.100.40", .mask = "255.255.0.0"}, newStatic, false},
        {"another gateway", {.ip = "198.51.100.40", .gateway = "198.51.100.1"}, newStatic, false},
        {"the new address, but DHCP still on",
         {.ip = "198.51.100.40", .dhcp = 1},
         newStatic,
         false},
        {"DHCP on with an address", {.dhcp = 1}, dhcp, true},
        {"DHCP on without an address yet", {.ip = "0.0.0.0", .dhcp = 1}, dhcp, false},
        {"DHCP still off", {.dhcp = 0}, dhcp, false},
        {"DHCP mode not reported", {}, dhcp, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ReportsSettings(MakeRecord(row.reply), row.expected), row.confirmed);
    }
}
