// SPDX-License-Identifier: Apache-2.0
// What every program shows about one converter: the product name rule, the
// DHCP mode in words, and the nine lines of the information window.
#include <ql5common/details_text.h>
#include <ql5common/product_name.h>

#include "support/sample_record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace ql5common;

using ql5::sample::MakeRecord;

TEST(ProductName, SubstitutesOnlyTheExactModuleName)
{
    const struct {
        const char* name;
        const char* expected;
    } rows[] = {
        {"QL5 Core Module", "QL5 Converter"},     {"ql5 core module", "ql5 core module"},
        {"QL5 Core Module2", "QL5 Core Module2"}, {"QL5 Core Module ", "QL5 Core Module "},
        {"QL5 Core Modul", "QL5 Core Modul"},     {"", ""},
    };
    for (const auto& row : rows) {
        DeviceRecordExchange record{};
        // Bytes after the terminator must not matter, nor survive a substitution.
        std::memset(record.productName, 'x', sizeof record.productName);
        std::strcpy(record.productName, row.name);
        std::strcpy(record.code4Text, "QL5 Core Module");

        SubstituteProductName(record);

        EXPECT_STREQ(record.productName, row.expected) << row.name;
        if (std::strcmp(row.name, row.expected) != 0) {
            const std::string rest(record.productName + std::strlen(row.expected),
                                   record.productName + sizeof record.productName);
            EXPECT_EQ(rest, std::string(rest.size(), '\0'));
        }
        EXPECT_STREQ(record.code4Text, "QL5 Core Module") << "only the product name changes";
    }
}

TEST(ProductName, ReplacementIsCutToTheField)
{
    DeviceRecordExchange record{};
    std::strcpy(record.productName, kModuleProductName);
    SubstituteProductName(record, std::string(300, 'r'));
    EXPECT_EQ(std::string(record.productName), std::string(255, 'r'));
    EXPECT_EQ(record.productName[255], '\0');
}

TEST(DetailsText, DhcpModeIsEnabledOnlyForOneAndNotApplicableWhenAbsent)
{
    const struct {
        bool present;
        std::uint8_t value;
        const char* text;
    } rows[] = {
        {false, 1, "N/A"},  // not reported: the value does not count
        {false, 0, "N/A"},     {true, 1, "Enabled"},    {true, 0, "Disabled"},
        {true, 2, "Disabled"}, {true, 255, "Disabled"},
    };
    for (const auto& row : rows) {
        DeviceRecordExchange record = MakeRecord({});
        if (row.present)
            record.presenceFlags |= QL5_HAS_DHCP_MODE;
        record.dhcpMode = row.value;
        EXPECT_STREQ(DhcpModeText(DhcpEnabled(record)), row.text) << int(row.value);
        EXPECT_NE(DetailsText(record, TextForm::kAsReceived)
                      .find(std::string("\nDHCP Mode: ") + row.text + "\n"),
                  std::string::npos);
    }
}

TEST(DetailsText, IsTheInformationWindowsNineLines)
{
    const DeviceRecordExchange typical =
        MakeRecord({.gateway = "0.0.0.0", .serialLinkPort = 65535});
    const DeviceRecordExchange other = MakeRecord({.mac = "02:0b:0c:0d:0e:0f",
                                                   .ip = "10.0.0.1",
                                                   .mask = "255.0.0.0",
                                                   .gateway = "10.0.0.254",
                                                   .dns = "10.0.0.53",
                                                   .dhcp = 1,
                                                   .name = "Not shown",
                                                   .productName = "ql5 core module",
                                                   .firmware = "",
                                                   .serialLinkPort = 0});
    const DeviceRecordExchange hostile = MakeRecord(
        {.productName = "Z\xfcrich\x1b[2J %1 \\", .firmware = "v1 \xe2\x82\xac\xe2\x80\xae"});

    const struct {
        const char* name;
        DeviceRecordExchange record;
        TextForm form;
        std::string expected;
    } rows[] = {
        {"substituted name, absent fields, largest port", typical, TextForm::kAsReceived,
         "Name: QL5 Converter\nMAC Address: 02:51:c5:00:00:01\nIP Address: 198.51.100.10\n"
         "Subnet Mask: 255.255.255.0\nGateway Address: 0.0.0.0\nDNS Address: 0.0.0.0\n"
         "DHCP Mode: N/A\nFirmware Revision: 2.4.1\nSerial Link Port: 65535\n"},
        {"every address, the product rather than the name column", other, TextForm::kNeutralised,
         "Name: ql5 core module\nMAC Address: 02:0b:0c:0d:0e:0f\nIP Address: 10.0.0.1\n"
         "Subnet Mask: 255.0.0.0\nGateway Address: 10.0.0.254\nDNS Address: 10.0.0.53\n"
         "DHCP Mode: Enabled\nFirmware Revision: \nSerial Link Port: 0\n"},
        {"converter text as received", hostile, TextForm::kAsReceived,
         "Name: Z\xc3\xbcrich\x1b[2J %1 \\\nMAC Address: 02:51:c5:00:00:01\n"
         "IP Address: 198.51.100.10\nSubnet Mask: 255.255.255.0\n"
         "Gateway Address: 198.51.100.254\n"
         "DNS Address: 0.0.0.0\nDHCP Mode: N/A\nFirmware Revision: v1 \xe2\x82\xac\xe2\x80\xae\n"
         "Serial Link Port: 4001\n"},
        {"converter text neutralised", hostile, TextForm::kNeutralised,
         "Name: Z\xc3\xbcrich\\x1b[2J %1 \\\\\nMAC Address: 02:51:c5:00:00:01\n"
         "IP Address: 198.51.100.10\nSubnet Mask: 255.255.255.0\n"
         "Gateway Address: 198.51.100.254\n"
         "DNS Address: 0.0.0.0\nDHCP Mode: N/A\nFirmware Revision: v1 \xe2\x82\xac\\u202e\n"
         "Serial Link Port: 4001\n"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(DetailsText(row.record, row.form), row.expected) << row.name;
}
