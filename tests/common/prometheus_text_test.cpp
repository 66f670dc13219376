// SPDX-License-Identifier: Apache-2.0
// Prometheus' text format: label values escaped by the format's rules whatever
// a converter sends, and the shape of the listing that a collector reads.
#include <ql5common/prometheus_text.h>
#include <ql5common/utf8.h>

#include <gtest/gtest.h>

#include <sstream>

using namespace ql5common;

namespace {

std::string Utf8(std::u32string_view text)
{
    std::string out;
    for (char32_t c : text)
        AppendUtf8(out, c);
    return out;
}

}  // namespace

TEST(PrometheusText, LabelValueEscapesBackslashQuoteAndLineFeedOnly)
{
    const struct {
        std::u32string text;
        const char* escaped;
    } rows[] = {
        {U"Line 1", "Line 1"},
        {U"", ""},
        {U"C:\\bay", "C:\\\\bay"},
        {U"say \"hi\"", "say \\\"hi\\\""},
        {U"two\nlines", "two\\nlines"},
        {U"\\n", "\\\\n"},
        {U"end\\", "end\\\\"},
        // Other controls and any character are data, sent on as UTF-8.
        {U"tab\there\rcr", "tab\there\rcr"},
        {U"\x1b[31mred", "\x1b[31mred"},
        {U"Halle \u00fc \u202e \U0001f600", "Halle \xc3\xbc \xe2\x80\xae \xf0\x9f\x98\x80"},
        {U"} 1\nql5_fake{x=\"", "} 1\\nql5_fake{x=\\\""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(PrometheusLabelValue(Utf8(row.text)), row.escaped) << row.escaped;
}

TEST(PrometheusText, ByteLabelValueReadsInvalidUtf8AsLatin1)
{
    EXPECT_EQ(PrometheusLabelValue(std::string_view("eth\xe9\"")), "eth\xc3\xa9\\\"");
    EXPECT_EQ(PrometheusLabelValue(std::string_view("w\xc3\xbc")), "w\xc3\xbc");
}

TEST(PrometheusText, ListingHasEveryMetricWithHelpTypeAndCountsPerNetwork)
{
    ConverterView first;
    first.mac = "02:00:00:00:00:01";
    first.ip = "198.51.100.10";
    first.name = "Press \"1\"";
    first.product = "QL5 Converter";
    first.firmware = "2.4.1";
    first.dhcp = false;
    first.interfaceName = "ws0";
    first.localAddress = "198.51.100.1";
    first.warnings = {"duplicate-ip", "gateway-outside-subnet"};
    ConverterView second = first;
    second.mac = "02:00:00:00:00:02";
    second.name = "Bay";
    second.dhcp.reset();
    second.warnings = {"duplicate-ip"};

    std::ostringstream out;
    WritePrometheus(
        out, {first, second}, {{"ws0", "198.51.100.1"}, {"ws1", "203.0.113.1"}},
        std::chrono::system_clock::time_point(std::chrono::milliseconds(1733559123250)));
    EXPECT_EQ(
        out.str(),
        "# HELP ql5_converter_info A QL5 converter that answered the listing, with what it "
        "reported as labels.\n"
        "# TYPE ql5_converter_info gauge\n"
        "ql5_converter_info{mac=\"02:00:00:00:00:01\",ip=\"198.51.100.10\",name=\"Press "
        "\\\"1\\\"\",product=\"QL5 Converter\",firmware=\"2.4.1\",dhcp=\"Disabled\","
        "interface=\"ws0\",local_address=\"198.51.100.1\"} 1\n"
        "ql5_converter_info{mac=\"02:00:00:00:00:02\",ip=\"198.51.100.10\",name=\"Bay\","
        "product=\"QL5 Converter\",firmware=\"2.4.1\",dhcp=\"N/A\",interface=\"ws0\","
        "local_address=\"198.51.100.1\"} 1\n"
        "# HELP ql5_converter_warning An addressing conflict of a converter, one series per "
        "kind of warning.\n"
        "# TYPE ql5_converter_warning gauge\n"
        "ql5_converter_warning{mac=\"02:00:00:00:00:01\",ip=\"198.51.100.10\","
        "local_address=\"198.51.100.1\",warning=\"duplicate-ip\"} 1\n"
        "ql5_converter_warning{mac=\"02:00:00:00:00:01\",ip=\"198.51.100.10\","
        "local_address=\"198.51.100.1\",warning=\"gateway-outside-subnet\"} 1\n"
        "ql5_converter_warning{mac=\"02:00:00:00:00:02\",ip=\"198.51.100.10\","
        "local_address=\"198.51.100.1\",warning=\"duplicate-ip\"} 1\n"
        "# HELP ql5_converters Converters that answered the listing, per local network.\n"
        "# TYPE ql5_converters gauge\n"
        "ql5_converters{interface=\"ws0\",local_address=\"198.51.100.1\"} 2\n"
        "ql5_converters{interface=\"ws1\",local_address=\"203.0.113.1\"} 0\n"
        "# HELP ql5_listing_timestamp_seconds When the listing ran, as Unix time in seconds.\n"
        "# TYPE ql5_listing_timestamp_seconds gauge\n"
        "ql5_listing_timestamp_seconds 1733559123.250\n");
}
