// SPDX-License-Identifier: Apache-2.0
#include "results_table.h"

#include <sys/utsname.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <thread>

namespace ql5::bench {

namespace {

std::string CpuModel()
{
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line;
    while (std::getline(cpuinfo, line)) {
        if (line.rfind("model name", 0) == 0) {
            const auto colon = line.find(':');
            if (colon != std::string::npos)
                return line.substr(line.find_first_not_of(' ', colon + 1));
        }
    }
    return "unknown";
}

std::string Kernel()
{
    utsname name{};
    if (uname(&name) != 0)
        return "unknown";
    return std::string(name.sysname) + " " + name.release;
}

std::string UtcNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

// Three significant digits, enough for figures that vary by a few percent
// from run to run.
std::string Number(double value)
{
    char text[64];
    const double magnitude = std::fabs(value);
    if (magnitude >= 1000)
        std::snprintf(text, sizeof text, "%.0f", value);
    else if (magnitude >= 100)
        std::snprintf(text, sizeof text, "%.1f", value);
    else if (magnitude >= 1)
        std::snprintf(text, sizeof text, "%.2f", value);
    else
        std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

std::string WithUnit(const nlohmann::json& value, const std::string& unit)
{
    if (!value.is_number())
        return "";
    if (unit == "%") {
        char text[32];
        std::snprintf(text, sizeof text, "%.1f%%", value.get<double>());
        return text;
    }
    return Number(value.get<double>()) + " " + unit;
}

std::string Escape(std::string text)
{
    for (std::size_t at = text.find('|'); at != std::string::npos; at = text.find('|', at + 2))
        text.replace(at, 1, "\\|");
    return text;
}

}  // namespace

nlohmann::json AssembleTable(const nlohmann::json& rows, const nlohmann::json& details,
                             const nlohmann::json& load, const std::string& command)
{
    nlohmann::json table;
    table["date"] = UtcNow();
    table["machine"] = {
        {"nproc", std::thread::hardware_concurrency()}, {"cpu", CpuModel()}, {"kernel", Kernel()}};
    table["load"] = load;
    table["command"] = command;
    table["rows"] = nlohmann::json::array();
    for (nlohmann::json row : rows) {
        const auto& baseline = row["baseline"];
        row["ratio"] = baseline.is_number() && baseline.get<double>() > 0
                           ? nlohmann::json(row["value"].get<double>() / baseline.get<double>())
                           : nlohmann::json();
        table["rows"].push_back(row);
    }
    table["details"] = details;
    return table;
}

std::string MarkdownTable(const nlohmann::json& table)
{
    const auto& machine = table["machine"];
    std::string out;
    out += "Measured " + table["date"].get<std::string>() + " on " +
           std::to_string(machine["nproc"].get<int>()) + " x " + machine["cpu"].get<std::string>() +
           ", " + machine["kernel"].get<std::string>() + "; load average (1, 5, 15 min) " +
           table["load"].value("before", "?") + " before, " + table["load"].value("after", "?") +
           " after. Made with `" + table["command"].get<std::string>() + "`.\n\n";
    out += "| Figure | Measure | Value | Baseline | Ratio | Target | Met | Note |\n";
    out += "|---|---|---|---|---|---|---|---|\n";
    for (const auto& row : table["rows"]) {
        const std::string unit = row["unit"].get<std::string>();
        const auto& met = row["met"];
        out += "| " + Escape(row["figure"].get<std::string>()) + " | " +
               Escape(row["name"].get<std::string>()) + " | " + WithUnit(row["value"], unit) +
               " | " + WithUnit(row["baseline"], unit) + " | " +
               (row["ratio"].is_number() ? Number(row["ratio"].get<double>()) + "x" : "") + " | " +
               Escape(row["target"].get<std::string>()) + " | " +
               (met.is_boolean() ? (met.get<bool>() ? "yes" : "**no**") : "") + " | " +
               Escape(row["note"].get<std::string>()) + " |\n";
    }
    return out;
}

}  // namespace ql5::bench
