// SPDX-License-Identifier: Apache-2.0
#include "plan_file.h"

#include "command_line.h"

#include <ql5common/converter_text.h>
#include <ql5common/settings_rules.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
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

// The cells of one line, as RFC 4180 writes them: a cell in quotes may hold
// commas, and a quote in it is doubled. Spaces around a cell are dropped.
std::vector<std::string> Cells(std::string_view line)
{
    std::vector<std::string> cells(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                cells.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                cells.back() += c;
            }
        } else if (c == '"' && Trimmed(cells.back()).empty()) {
            cells.back().clear();
            quoted = true;
        } else if (c == ',') {
            cells.emplace_back();
        } else {
            cells.back() += c;
        }
    }
    for (std::string& cell : cells)
        cell = std::string(Trimmed(cell));
    return cells;
}

// A cell quoted in a message: neutralised, and cut to kMaxQuotedCharacters,
// so that a bad plan cannot fill a terminal or a log.
std::string Quoted(std::string_view text)
{
    std::string decoded = ql5common::DecodeConverterText(text.data(), text.size());
    ql5common::ConverterCharacters characters(decoded);
    std::size_t count = 0;
    while (count < kMaxQuotedCharacters && characters.Next())
        ++count;
    const bool cut = characters.Offset() < decoded.size();
    if (cut)
        decoded.resize(characters.Offset());
    return "'" + ql5common::NeutralisedText(decoded) + (cut ? "...'" : "'");
}

bool SameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// Where each column of a header row is; npos for a column it lacks.
struct Columns {
    static constexpr std::size_t kNone = std::string::npos;
    std::size_t mac = kNone, ip = kNone, mask = kNone, gateway = kNone, dhcp = kNone;
};

// A header row names its columns, one of them "mac"; a row of values starts
// with a MAC address.
std::optional<Columns> HeaderOf(const std::vector<std::string>& cells)
{
    Columns columns;
    const std::pair<const char*, std::size_t Columns::*> names[] = {{"mac", &Columns::mac},
                                                                    {"ip", &Columns::ip},
                                                                    {"mask", &Columns::mask},
                                                                    {"gateway", &Columns::gateway},
                                                                    {"dhcp", &Columns::dhcp}};
    for (std::size_t i = 0; i < cells.size(); ++i) {
        for (const auto& [name, member] : names) {
            if (SameName(cells[i], name) && columns.*member == Columns::kNone)
                columns.*member = i;
        }
    }
    if (columns.mac == Columns::kNone || ql5common::ParseMac(cells[0]))
        return std::nullopt;
    return columns;
}

// A DHCP cell that asks for DHCP: "dhcp" in a plan written by hand, or
// "Enabled" as list --format csv writes it.
bool AsksForDhcp(std::string_view cell)
{
    for (const char* yes : {"dhcp", "enabled", "on", "yes", "true", "1"}) {
        if (SameName(cell, yes))
            return true;
    }
    return false;
}

std::string ReadAddresses(const std::string* const cells[3], PlanRow& row, bool force)
{
    const char* const names[] = {"IP", "MASK", "GATEWAY"};
    std::uint32_t* const targets[] = {&row.ipAddress, &row.subnetMask, &row.gatewayAddress};
    for (std::size_t i = 0; i < 3; ++i) {
        // A header's plan may leave the gateway empty: none.
        if (i == 2 && cells[i]->empty()) {
            *targets[i] = 0;
            continue;
        }
        const auto address = ql5common::ParseDottedDecimal(*cells[i]);
        if (!address)
            return Quoted(*cells[i]) + " is not an IPv4 address (for " + names[i] + ")";
        *targets[i] = *address;
    }
    const auto verdict =
        ql5common::CheckStaticSettings(row.ipAddress, row.subnetMask, row.gatewayAddress, force);
    return verdict ? std::string() : verdict.text + ForceHint(verdict);
}

std::string ReadMac(const std::string& cell, PlanRow& row)
{
    const auto mac = ql5common::ParseMac(cell);
    if (!mac)
        return Quoted(cell) + " is not a MAC address";
    if (*mac == ql5common::MacAddress{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF})
        return "ff:ff:ff:ff:ff:ff stands for every converter; give the MAC of one";
    row.mac = *mac;
    return {};
}

// Reads one row without a header, or says why it is malformed.
std::string ReadRow(const std::vector<std::string>& cells, PlanRow& row, bool force)
{
    if (std::string error = ReadMac(cells[0], row); !error.empty())
        return error;
    if (cells.size() == 2 && SameName(cells[1], "dhcp")) {
        row.dhcp = true;
        return {};
    }
    if (cells.size() != 4)
        return "a row is mac,ip,mask,gateway or mac,dhcp";
    const std::string* const addresses[] = {&cells[1], &cells[2], &cells[3]};
    return ReadAddresses(addresses, row, force);
}

// Reads one row by the columns of the header.
std::string ReadNamedRow(const std::vector<std::string>& cells, const Columns& columns,
                         PlanRow& row, bool force)
{
    static const std::string kEmpty;
    const auto cell = [&](std::size_t index) -> const std::string& {
        return index < cells.size() ? cells[index] : kEmpty;
    };
    if (std::string error = ReadMac(cell(columns.mac), row); !error.empty())
        return error;
    if (columns.dhcp != Columns::kNone && AsksForDhcp(cell(columns.dhcp))) {
        row.dhcp = true;
        return {};
    }
    if (columns.ip == Columns::kNone || columns.mask == Columns::kNone)
        return "the header names no ip and mask columns, and the row asks for no DHCP";
    const std::string* const addresses[] = {&cell(columns.ip), &cell(columns.mask),
                                            &cell(columns.gateway)};
    return ReadAddresses(addresses, row, force);
}

// Reads at most kMaxPlanBytes and one byte more, to tell a plan that is too
// large; /dev/zero or a stray multi-gigabyte file costs no more than that.
bool ReadBounded(std::istream& in, std::string& text)
{
    constexpr std::size_t kChunk = 64 * 1024;
    while (text.size() <= kMaxPlanBytes && in) {
        const std::size_t before = text.size();
        text.resize(before + kChunk);
        in.read(text.data() + before, static_cast<std::streamsize>(kChunk));
        text.resize(before + static_cast<std::size_t>(in.gcount()));
    }
    return text.size() <= kMaxPlanBytes;
}

}  // namespace

Plan ReadPlan(std::istream& in, bool force)
{
    Plan plan;
    std::string text;
    if (!ReadBounded(in, text)) {
        plan.errors.push_back({1, "the plan is larger than 10 MB; none of it was read"});
        return plan;
    }
    std::string_view rest(text);
    // A spreadsheet's export may begin with a UTF-8 byte order mark.
    if (rest.substr(0, 3) == "\xEF\xBB\xBF")
        rest.remove_prefix(3);

    std::map<ql5common::MacAddress, std::size_t> macLines;
    std::map<std::uint32_t, std::size_t> addressLines;
    std::optional<Columns> columns;
    bool first = true;
    const auto fail = [&plan](std::size_t line, std::string message) {
        plan.errors.push_back({line, std::move(message)});
        if (plan.errors.size() < kMaxPlanErrors)
            return false;
        plan.errors.push_back({line, "stopped after " + std::to_string(kMaxPlanErrors) +
                                         " errors; the rest of the plan was not read"});
        return true;
    };
    for (std::size_t number = 1; !rest.empty(); ++number) {
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        const std::string_view line = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
        if (line.size() > kMaxLineBytes) {
            if (fail(number, "the line is longer than 1,024 bytes"))
                break;
            continue;
        }
        const std::string_view trimmed = Trimmed(line);
        if (trimmed.empty() || trimmed.front() == '#')
            continue;
        const std::vector<std::string> cells = Cells(trimmed);
        if (first) {
            first = false;
            columns = HeaderOf(cells);
            if (columns)
                continue;
        }
        PlanRow row;
        row.line = number;
        const std::string error =
            columns ? ReadNamedRow(cells, *columns, row, force) : ReadRow(cells, row, force);
        if (!error.empty()) {
            if (fail(number, error))
                break;
            continue;
        }
        if (const auto [at, added] = macLines.emplace(row.mac, number); !added) {
            if (fail(number, ql5common::FormatMac(row.mac.data()) + " is already planned on line " +
                                 std::to_string(at->second)))
                break;
            continue;
        }
        if (!row.dhcp) {
            if (const auto [at, added] = addressLines.emplace(row.ipAddress, number); !added) {
                if (fail(number, ql5common::FormatDottedDecimal(row.ipAddress) +
                                     " is already the target of line " +
                                     std::to_string(at->second)))
                    break;
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
