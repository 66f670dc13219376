// SPDX-License-Identifier: Apache-2.0
#include "ql5common/inventory_formats.h"

#include "ql5common/converter_text.h"
#include "ql5common/csv_cell.h"
#include "ql5common/details_text.h"
#include "ql5common/json_text.h"

#include <cstddef>
#include <string>
#include <utility>

namespace ql5common {

namespace {

// Text that came from outside, made safe to print.
std::string Shown(std::string_view text)
{
    return NeutralisedText(text);
}

std::string JoinedWarnings(const std::vector<std::string>& warnings)
{
    std::string joined;
    for (const std::string& key : warnings)
        joined += (joined.empty() ? "" : ";") + key;
    return joined;
}

std::string JsonWarnings(const std::vector<std::string>& warnings)
{
    std::string array = "[";
    for (std::size_t i = 0; i < warnings.size(); ++i)
        array += (i > 0 ? ", " : "") + JsonString(std::string_view(warnings[i]));
    return array + "]";
}

// The fields of a converter object in their order, each value already JSON.
std::vector<std::pair<const char*, std::string>> JsonFields(const ConverterView& c)
{
    const auto text = [](const std::string& value) { return JsonString(std::string_view(value)); };
    return {
        {"mac", text(c.mac)},
        {"ip", text(c.ip)},
        {"mask", text(c.mask)},
        {"gateway", text(c.gateway)},
        {"dns", text(c.dns)},
        {"dhcp", c.dhcp ? (*c.dhcp ? "true" : "false") : "null"},
        {"name", JsonString(c.name)},
        {"product", JsonString(c.product)},
        {"firmware", JsonString(c.firmware)},
        {"serialLinkPort", std::to_string(c.serialLinkPort)},
        {"interface", c.interfaceName.empty() ? std::string("null") : text(c.interfaceName)},
        {"localAddress", text(c.localAddress)},
        {"sourceAddress", c.sourceAddress.empty() ? std::string("null") : text(c.sourceAddress)},
        {"warnings", JsonWarnings(c.warnings)},
    };
}

}  // namespace

void WriteCsv(std::ostream& out, const std::vector<ConverterView>& converters)
{
    out << "ip,mac,name,product,interface,localAddress,dhcp,firmware,mask,gateway,dns,"
           "serialLinkPort,warnings\n";
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
                                     std::to_string(c.serialLinkPort),
                                     JoinedWarnings(c.warnings)};
        std::string line;
        for (std::size_t i = 0; i < std::size(cells); ++i) {
            if (i > 0)
                line += ',';
            line += CsvCell(cells[i]);
        }
        out << line << '\n';
    }
}

void WriteConverterJson(std::ostream& out, const ConverterView& c, std::string_view indent)
{
    const std::string in(indent);
    const auto fields = JsonFields(c);
    out << "{\n";
    for (std::size_t i = 0; i < fields.size(); ++i) {
        out << in << "  \"" << fields[i].first << "\": " << fields[i].second
            << (i + 1 < fields.size() ? ",\n" : "\n");
    }
    out << in << "}";
}

void WriteConverterJsonLine(std::ostream& out, const ConverterView& c)
{
    const auto fields = JsonFields(c);
    out << "{";
    for (std::size_t i = 0; i < fields.size(); ++i)
        out << (i > 0 ? ", \"" : "\"") << fields[i].first << "\": " << fields[i].second;
    out << "}\n";
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

}  // namespace ql5common
