// SPDX-License-Identifier: Apache-2.0
#include "output_formats.h"

#include <ql5common/converter_text.h>
#include <ql5common/details_text.h>
#include <ql5common/display_width.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ql5ctl {

namespace {

using ql5common::DhcpModeText;
using ql5common::DisplayWidth;

// Converter text, and any text that came from outside, made safe to print.
std::string Shown(std::string_view text)
{
    return ql5common::NeutralisedText(text);
}

constexpr std::size_t kColumns = 8;
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
            Shown(converter.firmware),
            converter.warnings.empty() ? "" : "!"};
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
    if (text == "prometheus")
        return OutputFormat::kPrometheus;
    return std::nullopt;
}

void WriteTable(std::ostream& out, const std::vector<ConverterView>& converters)
{
    // The marker column appears only when it marks something, so that the
    // usual table stays as it always was.
    const bool anyWarning = std::any_of(converters.begin(), converters.end(),
                                        [](const ConverterView& c) { return !c.warnings.empty(); });
    const Row header = {"IP Address", "MAC Address", "Name",     "Product",
                        "Interface",  "DHCP",        "Firmware", anyWarning ? "!" : ""};

    // Each row is made twice, once to measure the columns and once to print
    // it, rather than kept: a full listing of long names would otherwise hold
    // every text a second time at its peak. Only the widths of its cells are
    // kept (a cell holds at most a few thousand bytes).
    using Widths = std::array<std::uint16_t, kColumns>;
    std::vector<Widths> cellWidths;
    cellWidths.reserve(converters.size() + 1);
    std::array<std::size_t, kColumns> widths{};
    const auto measure = [&widths, &cellWidths](const Row& row) {
        Widths& cells = cellWidths.emplace_back();
        for (std::size_t column = 0; column < kColumns; ++column) {
            cells[column] = static_cast<std::uint16_t>(DisplayWidth(row[column]));
            widths[column] = std::max<std::size_t>(widths[column], cells[column]);
        }
    };
    measure(header);
    for (const ConverterView& converter : converters)
        measure(TableRow(converter));

    std::size_t next = 0;
    const auto print = [&out, &widths, &cellWidths, &next](const Row& row) {
        const Widths& cells = cellWidths[next++];
        std::string line;
        for (std::size_t column = 0; column < kColumns; ++column) {
            line += row[column];
            if (column + 1 < kColumns)
                line.append(widths[column] - cells[column] + 2, ' ');
        }
        // Trailing blanks of an empty last cell would only confuse diff and grep.
        line.erase(line.find_last_not_of(' ') + 1);
        out << line << '\n';
    };
    print(header);
    for (const ConverterView& converter : converters)
        print(TableRow(converter));
}

}  // namespace ql5ctl
