// SPDX-License-Identifier: Apache-2.0
#include "ql5common/prometheus_text.h"

#include "ql5common/converter_text.h"
#include "ql5common/details_text.h"

#include <cstdio>
#include <map>
#include <utility>

namespace ql5common {

namespace {

std::string Escaped(const std::string& utf8)
{
    std::string escaped;
    escaped.reserve(utf8.size());
    for (const char c : utf8) {
        switch (c) {
        case '\\': escaped += "\\\\"; break;
        case '"': escaped += "\\\""; break;
        case '\n': escaped += "\\n"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

using Labels = std::vector<std::pair<const char*, std::string>>;

// name{a="…",b="…"} value, the label values already escaped.
void WriteSample(std::ostream& out, std::string_view name, const Labels& labels,
                 std::string_view value)
{
    out << name;
    if (!labels.empty()) {
        out << '{';
        for (std::size_t i = 0; i < labels.size(); ++i)
            out << (i > 0 ? "," : "") << labels[i].first << "=\"" << labels[i].second << '"';
        out << '}';
    }
    out << ' ' << value << '\n';
}

void WriteHeader(std::ostream& out, std::string_view name, std::string_view help)
{
    out << "# HELP " << name << ' ' << help << "\n# TYPE " << name << " gauge\n";
}

// Seconds since the Unix epoch with milliseconds, in the plain notation that
// every reader of the format accepts.
std::string UnixSeconds(std::chrono::system_clock::time_point time)
{
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch());
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%03lld", static_cast<long long>(ms.count() / 1000),
                  static_cast<long long>(ms.count() % 1000));
    return text;
}

}  // namespace

std::string PrometheusLabelValue(std::string_view text)
{
    return Escaped(ShownText(text, TextForm::kAsReceived));
}

void WritePrometheus(std::ostream& out, const std::vector<ConverterView>& converters,
                     const std::vector<SearchedNetwork>& searched,
                     std::chrono::system_clock::time_point listedAt)
{
    const auto network = [](const std::string& interfaceName, const std::string& localAddress) {
        return Labels{{"interface", PrometheusLabelValue(std::string_view(interfaceName))},
                      {"local_address", localAddress}};
    };

    WriteHeader(out, "ql5_converter_info",
                "A QL5 converter that answered the listing, with what it reported as labels.");
    for (const ConverterView& c : converters) {
        Labels labels{{"mac", c.mac},
                      {"ip", c.ip},
                      {"name", PrometheusLabelValue(c.name)},
                      {"product", PrometheusLabelValue(c.product)},
                      {"firmware", PrometheusLabelValue(c.firmware)},
                      {"dhcp", DhcpModeText(c.dhcp)}};
        for (auto& label : network(c.interfaceName, c.localAddress))
            labels.push_back(std::move(label));
        WriteSample(out, "ql5_converter_info", labels, "1");
    }

    WriteHeader(out, "ql5_converter_warning",
                "An addressing conflict of a converter, one series per kind of warning.");
    for (const ConverterView& c : converters) {
        for (const std::string& key : c.warnings) {
            WriteSample(out, "ql5_converter_warning",
                        {{"mac", c.mac},
                         {"ip", c.ip},
                         {"local_address", c.localAddress},
                         {"warning", PrometheusLabelValue(std::string_view(key))}},
                        "1");
        }
    }

    // Every searched network counts, with 0 where nothing answered; a network
    // that a converter answered on but that is no longer listed counts too.
    std::map<std::pair<std::string, std::string>, std::size_t> counts;
    for (const SearchedNetwork& n : searched)
        counts[{n.localAddress, n.interfaceName}];
    for (const ConverterView& c : converters)
        ++counts[{c.localAddress, c.interfaceName}];
    WriteHeader(out, "ql5_converters", "Converters that answered the listing, per local network.");
    for (const auto& [where, count] : counts)
        WriteSample(out, "ql5_converters", network(where.second, where.first),
                    std::to_string(count));

    WriteHeader(out, "ql5_listing_timestamp_seconds",
                "When the listing ran, as Unix time in seconds.");
    WriteSample(out, "ql5_listing_timestamp_seconds", {}, UnixSeconds(listedAt));
}

}  // namespace ql5common
