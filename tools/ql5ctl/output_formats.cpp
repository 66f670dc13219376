// SPDX-License-Identifier: Apache-2.0
#include "output_formats.h"

#include "json_text.h"

#include <ql5common/converter_text.h>
#include <ql5common/csv_cell.h>
#include <ql5common/details_text.h>
#include <ql5common/display_width.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>

namespace ql5ctl {

namespace {

using ql5common::DhcpModeText;
using ql5common::DisplayWidth;

// Converter text, and any text that came from outside, made safe to print.
std::string Shown(std::u32string_view text)
{
    return ql5common::NeutralisedText(text);
}

std::string Shown(const std::string& bytes)
{
    return ql5common::NeutralisedText(ql5common::DecodeConverterText(bytes.data(), bytes.size()));
}

constexpr std::size_t kColumns = 7;
using Row = std::array<std::string, kColumns>;

std::string InterfaceCell(const ConverterView& converter)
{
    return converter.interfaceName.empty() ? converter.localAddress
                                           : Shown(converter.interfaceName);
}

Row TableRow(const ConverterView& converter)
{
    return {converter.ip,
            converter.mac,
            Shown(converter.name),
            Shown(converter.product),
            InterfaceCell(converter),
            DhcpModeText(converter.dhcp),
            Shown(converter.firmware)};
}

}  // namespace

std::optional<OutputFormat> ParseOutputFormat(std::string_view text)
{
    if (text == "table")
        return OutputFormat::kTable;
    if (text == "json")
        return OutputFormat::kJson;
    if (text == "csv")
        return OutputFormat::kCsv;
    return std::nullopt;
}

void WriteTable(std::ostream& out, const std::vector<ConverterView>& converters)
{
    std::vector<Row> rows;
    rows.push_back(
        {"IP Address", "MAC Address", "Name", "Product", "Interface", "DHCP", "Firmware"});
    for (const ConverterView& converter : converters)
        rows.push_back(TableRow(converter));

    std::array<std::size_t, kColumns> widths{};
    for (const Row& row : rows) {
        for (std::size_t column = 0; column < kColumns; ++column)
            widths[column] = std::max(widths[column], DisplayWidth(row[column]));
    }
    for (const Row& row : rows) {
        std::string line;
        for (std::size_t column = 0; column < kColumns; ++column) {
            line += row[column];
            if (column + 1 < kColumns)
                line += std::string(widths[column] - DisplayWidth(row[column]) + 2, ' ');
        }
        // Trailing blanks of an empty last cell would only confuse diff and grep.
        line.erase(line.find_last_not_of(' ') + 1);
        out << line << '\n';
    }
}

void WriteCsv(std::ostream& out, const std::vector<ConverterView>& converters)
{
    out << "ip,mac,name,product,interface,localAddress,dhcp,firmware,mask,gateway,dns,"
           "realPort\n";
    for (const ConverterView& c : converters) {
        const std::string cells[] = {c.ip,
                                     c.mac,
                                     Shown(c.name),
                                     Shown(c.product),
                                     Shown(c.interfaceName),
                                     c.localAddress,
                                     DhcpModeText(c.dhcp),
                                     Shown(c.firmware),
                                     c.mask,
                                     c.gateway,
                                     c.dns,
                                     std::to_string(c.realPort)};
        std::string line;
        for (std::size_t i = 0; i < std::size(cells); ++i) {
            if (i > 0)
                line += ',';
            line += ql5common::CsvCell(cells[i]);
        }
        out << line << '\n';
    }
}

void WriteConverterJson(std::ostream& out, const ConverterView& c, std::string_view indent)
{
    const std::string in(indent);
    const std::string field = in + "  ";
    out << "{\n";
    out << field << "\"mac\": " << JsonString(std::string_view(c.mac)) << ",\n";
    out << field << "\"ip\": " << JsonString(std::string_view(c.ip)) << ",\n";
    out << field << "\"mask\": " << JsonString(std::string_view(c.mask)) << ",\n";
    out << field << "\"gateway\": " << JsonString(std::string_view(c.gateway)) << ",\n";
    out << field << "\"dns\": " << JsonString(std::string_view(c.dns)) << ",\n";
    out << field << "\"dhcp\": " << (c.dhcp ? (*c.dhcp ? "true" : "false") : "null") << ",\n";
    out << field << "\"name\": " << JsonString(c.name) << ",\n";
    out << field << "\"product\": " << JsonString(c.product) << ",\n";
    out << field << "\"firmware\": " << JsonString(c.firmware) << ",\n";
    out << field << "\"realPort\": " << c.realPort << ",\n";
    out << field << "\"interface\": "
        << (c.interfaceName.empty() ? std::string("null")
                                    : JsonString(std::string_view(c.interfaceName)))
        << ",\n";
    out << field << "\"localAddress\": " << JsonString(std::string_view(c.localAddress)) << "\n";
    out << in << "}";
}

void WriteListJson(std::ostream& out, const std::vector<ConverterView>& converters)
{
    if (converters.empty()) {
        out << "{\n  \"converters\": []\n}\n";
        return;
    }
    out << "{\n  \"converters\": [\n";
    for (std::size_t i = 0; i < converters.size(); ++i) {
        out << "    ";
        WriteConverterJson(out, converters[i], "    ");
        out << (i + 1 < converters.size() ? ",\n" : "\n");
    }
    out << "  ]\n}\n";
}

}  // namespace ql5ctl
