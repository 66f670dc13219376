// SPDX-License-Identifier: Apache-2.0
// ql5_bench_report --json OUT.json --markdown OUT.md [--load-before TEXT]
//                  [--command TEXT] [--micro GBENCH.json] PIECE.json...
// Gathers the rows that the benchmarks wrote into one results table and
// writes it as JSON and as Markdown. scripts/bench calls it last.
#include "results_table.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

bool ReadJson(const std::string& path, nlohmann::json& out)
{
    std::ifstream file(path);
    if (!file)
        return false;
    out = nlohmann::json::parse(file, nullptr, false);
    return !out.is_discarded();
}

std::string LoadAverage()
{
    std::ifstream file("/proc/loadavg");
    double one = 0, five = 0, fifteen = 0;
    file >> one >> five >> fifteen;
    char text[64];
    std::snprintf(text, sizeof text, "%.2f %.2f %.2f", one, five, fifteen);
    return text;
}

int Usage()
{
    std::fprintf(stderr,
                 "usage: ql5_bench_report --json OUT --markdown OUT [--load-before TEXT] "
                 "[--command TEXT] [--micro FILE] PIECE...\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string jsonPath, markdownPath, loadBefore = "?", command = "scripts/bench";
    std::vector<std::string> micro, pieces;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "--json" && hasValue)
            jsonPath = argv[++i];
        else if (argument == "--markdown" && hasValue)
            markdownPath = argv[++i];
        else if (argument == "--load-before" && hasValue)
            loadBefore = argv[++i];
        else if (argument == "--command" && hasValue)
            command = argv[++i];
        else if (argument == "--micro" && hasValue)
            micro.push_back(argv[++i]);
        else if (argument.rfind("--", 0) == 0)
            return Usage();
        else
            pieces.push_back(argument);
    }
    if (jsonPath.empty() || markdownPath.empty())
        return Usage();

    nlohmann::json rows = nlohmann::json::array(), details = nlohmann::json::object();
    for (const auto& path : pieces) {
        nlohmann::json piece;
        if (!ReadJson(path, piece) || !piece.contains("rows")) {
            std::fprintf(stderr, "ql5_bench_report: cannot read %s\n", path.c_str());
            return 1;
        }
        for (const auto& row : piece["rows"])
            rows.push_back(row);
        details[std::filesystem::path(path).stem().string()] =
            piece.value("details", nlohmann::json::object());
    }
    for (const auto& path : micro) {
        nlohmann::json output;
        if (!ReadJson(path, output) || !output.contains("benchmarks")) {
            std::fprintf(stderr, "ql5_bench_report: cannot read %s\n", path.c_str());
            return 1;
        }
        for (const auto& row : ql5::bench::MicroRows(output))
            rows.push_back(row);
    }
    // Figures in their numbered order, whatever order the pieces came in.
    std::stable_sort(rows.begin(), rows.end(),
                     [](const nlohmann::json& a, const nlohmann::json& b) {
                         return a["figure"].get<std::string>().substr(0, 1) <
                                b["figure"].get<std::string>().substr(0, 1);
                     });
    const nlohmann::json load = {{"before", loadBefore}, {"after", LoadAverage()}};
    const auto table = ql5::bench::AssembleTable(rows, details, load, command);
    std::ofstream(jsonPath) << table.dump(2) << '\n';
    std::ofstream(markdownPath) << ql5::bench::MarkdownTable(table);
    return 0;
}
