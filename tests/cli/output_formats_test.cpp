// SPDX-License-Identifier: Apache-2.0
// The shapes of ql5ctl's table, CSV and JSON outputs.
#include "output_formats.h"
#include "text_lines.h"
#include <ql5common/converter_view.h>

#include <ql5common/address_text.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstring>
#include <sstream>

using namespace ql5ctl;
using ql5::cli::Lines;

namespace {

std::uint32_t Address(const char* dottedDecimal)
{
    return ql5common::ParseDottedDecimal(dottedDecimal).value();
}

DeviceRecordExchange Record(const char* name, const char* product)
{
    DeviceRecordExchange record{};
    record.recordSize = QL5_DEVICE_RECORD_SIZE;
    record.presenceFlags = QL5_HAS_MAC_ADDRESS | QL5_HAS_IP_ADDRESS;
    const std::uint8_t mac[6] = {0x02, 0x51, 0xc5, 0x0a, 0x0b, 0x0c};
    std::memcpy(record.macAddress, mac, sizeof mac);
    record.ipAddress = Address("198.51.100.10");
    record.localAddress = Address("198.51.100.1");
    std::strncpy(record.code4Text, name, sizeof record.code4Text - 1);
    std::strncpy(record.productName, product, sizeof record.productName - 1);
    return record;
}

}  // namespace

TEST(ConverterView, ShowsTheSubstitutedProductNameAndLeavesTheRecordAlone)
{
    const DeviceRecordExchange record = Record("a", "QL5 Core Module");
    EXPECT_EQ(MakeConverterView(record, "").product, "QL5 Converter");
    EXPECT_STREQ(record.productName, "QL5 Core Module");
}

TEST(OutputFormats, TableColumnsLineUpWithMultiByteWideAndCombiningNames)
{
    std::ostringstream out;
    WriteTable(out, {MakeConverterView(Record("S\xc3\xbc"
                                              "d",
                                              "P"),
                                       "ws0"),
                     MakeConverterView(Record("North", "P"), ""),
                     MakeConverterView(Record("\xe5\x8c\x97\xe9\x96\x80", "P"), "ws0"),
                     MakeConverterView(Record("Cafe\xcc\x81", "P"), "ws0")});
    const auto lines = Lines(out.str());
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].rfind("IP Address     MAC Address        Name   Product", 0), 0u)
        << lines[0];
    // The widest name, "North", takes five columns; "Süd" takes three, and
    // "北門" and "Café" (with a combining accent) four, so each is padded to
    // the same terminal column, whatever its bytes or code points.
    EXPECT_EQ(lines[1].rfind("198.51.100.10  02:51:c5:0a:0b:0c  S\xc3\xbc"
                             "d    P  ",
                             0),
              0u);
    EXPECT_EQ(lines[2].rfind("198.51.100.10  02:51:c5:0a:0b:0c  North  P  ", 0), 0u);
    EXPECT_EQ(lines[3].rfind("198.51.100.10  02:51:c5:0a:0b:0c  \xe5\x8c\x97\xe9\x96\x80   P  ", 0),
              0u);
    EXPECT_EQ(lines[4].rfind("198.51.100.10  02:51:c5:0a:0b:0c  Cafe\xcc\x81   P  ", 0), 0u);
    // Without an interface name the local address stands in for it.
    EXPECT_NE(lines[2].find("198.51.100.1 "), std::string::npos);
    EXPECT_EQ(lines[1].back(), 'A');  // "N/A" ends the line, with the empty firmware trimmed
}

TEST(OutputFormats, TableMarksConvertersWithWarningsOnlyWhenThereAreAny)
{
    ConverterView plain = MakeConverterView(Record("A", "P"), "ws0");
    ConverterView warned = plain;
    warned.warnings = {"duplicate-ip"};
    std::ostringstream without;
    WriteTable(without, {plain});
    EXPECT_EQ(Lines(without.str())[0].back(), 'e');  // "Firmware" ends the header
    std::ostringstream with;
    WriteTable(with, {plain, warned});
    const auto lines = Lines(with.str());
    EXPECT_EQ(lines[0].back(), '!');
    EXPECT_EQ(lines[1].back(), 'A');  // "N/A", nothing to mark
    EXPECT_EQ(lines[2].back(), '!');
}

TEST(OutputFormats, CsvQuotesCommasAndQuotesAndNeverBreaksALine)
{
    std::ostringstream out;
    ConverterView view = MakeConverterView(Record("Hall 2, \"east\"\r\nx", "P"), "ws0");
    view.warnings = {"duplicate-ip", "gateway-outside-subnet"};
    WriteCsv(out, {view});
    const auto lines = Lines(out.str());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(
        lines[0],
        "ip,mac,name,product,interface,localAddress,dhcp,firmware,mask,gateway,dns,serialLinkPort,"
        "warnings");
    EXPECT_EQ(lines[1],
              "198.51.100.10,02:51:c5:0a:0b:0c,\"Hall 2, \"\"east\"\"\\x0d\\x0ax\",P,ws0,"
              "198.51.100.1,N/A,,0.0.0.0,0.0.0.0,0.0.0.0,0,duplicate-ip;gateway-outside-subnet");
}

TEST(OutputFormats, CsvWritesFormulaLikeTextsAsText)
{
    DeviceRecordExchange record = Record("=HYPERLINK(\"http://x\")", "+1");
    std::strcpy(record.firmwareRevision, "@SUM(A1)");
    std::ostringstream out;
    WriteCsv(out, {MakeConverterView(record, "-eth")});
    const auto lines = Lines(out.str());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1],
              "198.51.100.10,02:51:c5:0a:0b:0c,\"'=HYPERLINK(\"\"http://x\"\")\",'+1,"
              "'-eth,198.51.100.1,N/A,'@SUM(A1),0.0.0.0,0.0.0.0,0.0.0.0,0,");
}

TEST(OutputFormats, ListJsonHasTheDocumentedShape)
{
    DeviceRecordExchange record = Record("Line 1", "QL5 Core Module");
    record.presenceFlags |= QL5_HAS_DHCP_MODE;
    record.dhcpMode = 1;
    record.serialLinkPort = 4001;
    ConverterView warned = MakeConverterView(Record("B", "P"), "");
    warned.warnings = {"unreachable-subnet"};
    std::ostringstream out;
    WriteListJson(out, {MakeConverterView(record, "ws0"), warned});
    const auto json = nlohmann::json::parse(out.str());
    ASSERT_EQ(json.size(), 1u);
    const auto& converters = json.at("converters");
    ASSERT_EQ(converters.size(), 2u);
    EXPECT_EQ(converters[0], nlohmann::json::parse(R"({
        "mac": "02:51:c5:0a:0b:0c", "ip": "198.51.100.10", "mask": "0.0.0.0",
        "gateway": "0.0.0.0", "dns": "0.0.0.0", "dhcp": true, "name": "Line 1",
        "product": "QL5 Converter", "firmware": "", "serialLinkPort": 4001, "interface": "ws0",
        "localAddress": "198.51.100.1", "sourceAddress": null, "warnings": []})"));
    EXPECT_EQ(converters[1].at("warnings"), nlohmann::json::parse(R"(["unreachable-subnet"])"));
    EXPECT_TRUE(converters[1].at("dhcp").is_null());
    EXPECT_TRUE(converters[1].at("interface").is_null());

    // The watch stream's lines carry the same object, one per line.
    std::ostringstream line;
    WriteConverterJsonLine(line, warned);
    ASSERT_EQ(Lines(line.str()).size(), 1u);
    EXPECT_EQ(nlohmann::json::parse(line.str()), converters[1]);

    std::ostringstream empty;
    WriteListJson(empty, {});
    EXPECT_EQ(nlohmann::json::parse(empty.str()), nlohmann::json::parse(R"({"converters": []})"));
}
