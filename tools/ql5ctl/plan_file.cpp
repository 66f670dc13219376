// SPDX-License-Identifier: Apache-2.0
#include "plan_file.h"

#include <ql5common/converter_text.h>

#include <map>
#include <string_view>

namespace ql5ctl {

namespace {

std::string_view Trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::vector<std::string_view> Cells(std::string_view line)
{
    std::vector<std::string_view> cells;
    for (;;) {
        const auto comma = line.find(',');
        cells.push_back(Trimmed(line.substr(0, comma)));
        if (comma == std::string_view::npos)
            return cells;
        line.remove_prefix(comma + 1);
    }
}

std::string Quoted(std::string_view text)
{
    return "'" +
           ql5common::NeutralisedText(ql5common::DecodeConverterText(text.data(), text.size())) +
           "'";
}

// Reads one row, or says why it is malformed.
std::string ReadRow(std::string_view line, PlanRow& row)
{
    const std::vector<std::string_view> cells = Cells(line);
    const auto mac = ql5common::ParseMac(cells[0]);
    if (!mac)
        return Quoted(cells[0]) + " is not a MAC address";
    if (*mac == ql5common::MacAddress{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF})
        return "ff:ff:ff:ff:ff:ff stands for every converter; give the MAC of one";
    row.mac = *mac;
    if (cells.size() == 2 && cells[1] == "dhcp") {
        row.dhcp = true;
        return {};
    }
    if (cells.size() != 4)
        return "a row is mac,ip,mask,gateway or mac,dhcp";
    const char* const names[] = {"IP", "MASK", "GATEWAY"};
    std::uint32_t* const targets[] = {&row.ipAddress, &row.subnetMask, &row.gatewayAddress};
    for (std::size_t i = 0; i < 3; ++i) {
        const auto address = ql5common::ParseDottedDecimal(cells[i + 1]);
        if (!address)
            return Quoted(cells[i + 1]) + " is not an IPv4 address (for " + names[i] + ")";
        *targets[i] = *address;
    }
    if (row.ipAddress == 0)
        return "0.0.0.0 is no address for a converter";
    return {};
}

}  // namespace

Plan ReadPlan(std::istream& in)
{
    Plan plan;
    std::map<ql5common::MacAddress, std::size_t> macLines;
    std::map<std::uint32_t, std::size_t> addressLines;
    std::string line;
    for (std::size_t number = 1; std::getline(in, line); ++number) {
        const std::string_view text = Trimmed(line);
        if (text.empty() || text.front() == '#')
            continue;
        PlanRow row;
        row.line = number;
        if (std::string error = ReadRow(text, row); !error.empty()) {
            plan.errors.push_back({number, error});
            continue;
        }
        if (const auto [at, added] = macLines.emplace(row.mac, number); !added) {
            plan.errors.push_back({number, ql5common::FormatMac(row.mac.data()) +
                                               " is already planned on line " +
                                               std::to_string(at->second)});
            continue;
        }
        if (!row.dhcp) {
            if (const auto [at, added] = addressLines.emplace(row.ipAddress, number); !added) {
                plan.errors.push_back({number, ql5common::FormatDottedDecimal(row.ipAddress) +
                                                   " is already the target of line " +
                                                   std::to_string(at->second)});
                continue;
            }
        }
        plan.rows.push_back(row);
    }
    return plan;
}

std::string ActionText(const PlanRow& row)
{
    if (row.dhcp)
        return "dhcp";
    return "static " + ql5common::FormatDottedDecimal(row.ipAddress) + " mask " +
           ql5common::FormatDottedDecimal(row.subnetMask) + " gateway " +
           ql5common::FormatDottedDecimal(row.gatewayAddress);
}

}  // namespace ql5ctl
