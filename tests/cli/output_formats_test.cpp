// The display of converters: product substitution, the information text, and
// the shapes of the table, CSV and JSON outputs.
#include "converter_text.h"
#include "converter_view.h"
#include "output_formats.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstring>
#include <sstream>

using namespace ql5ctl;

namespace {

std::uint32_t Address(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d)
{
    const std::uint8_t octets[4] = {a, b, c, d};
    std::uint32_t value;
    std::memcpy(&value, octets, sizeof value);
    return value;
}

DeviceRecordExchange Record(const char* name, const char* product)
{
    DeviceRecordExchange record{};
    record.recordSize = QL5_DEVICE_RECORD_SIZE;
    record.presenceFlags = QL5_HAS_MAC_ADDRESS | QL5_HAS_IP_ADDRESS;
    const std::uint8_t mac[6] = {0x02, 0x51, 0xc5, 0x0a, 0x0b, 0x0c};
    std::memcpy(record.macAddress, mac, sizeof mac);
    record.ipAddress = Address(198, 51, 100, 10);
    record.localAddress = Address(198, 51, 100, 1);
    std::strncpy(record.code4Text, name, sizeof record.code4Text - 1);
    std::strncpy(record.productName, product, sizeof record.productName - 1);
    return record;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

}  // namespace

TEST(ConverterView, SubstitutesOnlyTheExactModuleProductName)
{
    EXPECT_EQ(MakeConverterView(Record("a", "Digi Connect ME"), "").product, U"QL5 Converter");
    for (const char* other : {"Digi Connect ME2", "digi connect me", "Digi Connect ME ", ""})
        EXPECT_EQ(MakeConverterView(Record("a", other), "").product,
                  DecodeConverterText(other, std::strlen(other)))
            << other;
}

TEST(ConverterView, DetailsTextIsTheInformationWindowsNineLines)
{
    DeviceRecordExchange record = Record("Line 1", "Digi Connect ME");
    record.subnetMask = Address(255, 255, 255, 0);
    record.realPortPort = 65535;
    std::strcpy(record.firmwareRevision, "2.4.1");
    EXPECT_EQ(DetailsText(MakeConverterView(record, "eth0")),
              "Name: QL5 Converter\n"
              "MAC Address: 02:51:c5:0a:0b:0c\n"
              "IP Address: 198.51.100.10\n"
              "Subnet Mask: 255.255.255.0\n"
              "Gateway Address: 0.0.0.0\n"
              "DNS Address: 0.0.0.0\n"
              "DHCP Mode: N/A\n"
              "Firmware Revision: 2.4.1\n"
              "RealPort Port: 65535\n");
}

TEST(ConverterView, DhcpModeIsEnabledOnlyForOneAndNotApplicableWhenAbsent)
{
    DeviceRecordExchange record = Record("a", "b");
    record.dhcpMode = 1;  // not reported: the value does not count
    EXPECT_EQ(std::string(DhcpModeText(MakeConverterView(record, "").dhcp)), "N/A");
    record.presenceFlags |= QL5_HAS_DHCP_MODE;
    EXPECT_EQ(std::string(DhcpModeText(MakeConverterView(record, "").dhcp)), "Enabled");
    for (std::uint8_t value : {0, 2}) {
        record.dhcpMode = value;
        EXPECT_EQ(std::string(DhcpModeText(MakeConverterView(record, "").dhcp)), "Disabled");
    }
}

TEST(OutputFormats, TableColumnsLineUpWithMultiByteNames)
{
    std::ostringstream out;
    WriteTable(out, {MakeConverterView(Record("S\xc3\xbc" "d", "P"), "ws0"),
                     MakeConverterView(Record("North", "P"), "")});
    const auto lines = Lines(out.str());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].rfind("IP Address     MAC Address        Name   Product", 0), 0u)
        << lines[0];
    // "Süd" is three characters wide, so "Product" starts in the same column
    // on every line, counted in characters.
    const auto column = [](const std::string& line) {
        return DisplayWidth(line.substr(0, line.find("P ")));
    };
    EXPECT_EQ(column(lines[1]), column(lines[2]));
    // Without an interface name the local address stands in for it.
    EXPECT_NE(lines[2].find("198.51.100.1 "), std::string::npos);
    EXPECT_EQ(lines[1].back(), 'A');  // "N/A" ends the line, with the empty firmware trimmed
}

TEST(OutputFormats, CsvQuotesCommasAndQuotesAndNeverBreaksALine)
{
    std::ostringstream out;
    WriteCsv(out, {MakeConverterView(Record("Hall 2, \"east\"\r\nx", "P"), "ws0")});
    const auto lines = Lines(out.str());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0],
              "ip,mac,name,product,interface,localAddress,dhcp,firmware,mask,gateway,dns,realPort");
    EXPECT_EQ(lines[1],
              "198.51.100.10,02:51:c5:0a:0b:0c,\"Hall 2, \"\"east\"\"\\x0d\\x0ax\",P,ws0,"
              "198.51.100.1,N/A,,0.0.0.0,0.0.0.0,0.0.0.0,0");
}

TEST(OutputFormats, ListJsonHasTheDocumentedShape)
{
    DeviceRecordExchange record = Record("Line 1", "Digi Connect ME");
    record.presenceFlags |= QL5_HAS_DHCP_MODE;
    record.dhcpMode = 1;
    record.realPortPort = 771;
    std::ostringstream out;
    WriteListJson(out, {MakeConverterView(record, "ws0"),
                        MakeConverterView(Record("B", "P"), "")});
    const auto json = nlohmann::json::parse(out.str());
    ASSERT_EQ(json.size(), 1u);
    const auto& converters = json.at("converters");
    ASSERT_EQ(converters.size(), 2u);
    EXPECT_EQ(converters[0], nlohmann::json::parse(R"({
        "mac": "02:51:c5:0a:0b:0c", "ip": "198.51.100.10", "mask": "0.0.0.0",
        "gateway": "0.0.0.0", "dns": "0.0.0.0", "dhcp": true, "name": "Line 1",
        "product": "QL5 Converter", "firmware": "", "realPort": 771, "interface": "ws0",
        "localAddress": "198.51.100.1"})"));
    EXPECT_TRUE(converters[1].at("dhcp").is_null());
    EXPECT_TRUE(converters[1].at("interface").is_null());

    std::ostringstream empty;
    WriteListJson(empty, {});
    EXPECT_EQ(nlohmann::json::parse(empty.str()), nlohmann::json::parse(R"({"converters": []})"));
}
