// SPDX-License-Identifier: Apache-2.0
#include "results_table.h"

#include <map>
#include <optional>

namespace ql5::bench {

namespace {

// Median over repetitions when the run has them, else the single run. Values
// are nanoseconds per operation: per item where the benchmark counts items
// (a fill of n values is n operations), per iteration otherwise.
std::map<std::string, double> NanosecondsPerOperation(const nlohmann::json& output)
{
    std::map<std::string, double> plain, medians;
    for (const auto& entry : output.at("benchmarks")) {
        const std::string runName = entry.value("run_name", entry.value("name", ""));
        double nanoseconds;
        if (entry.contains("items_per_second"))
            nanoseconds = 1e9 / entry.at("items_per_second").get<double>();
        else {
            const std::string unit = entry.value("time_unit", "ns");
            const double scale = unit == "ns" ? 1 : unit == "us" ? 1e3 : unit == "ms" ? 1e6 : 1e9;
            nanoseconds = entry.at("real_time").get<double>() * scale;
        }
        if (entry.value("run_type", "iteration") == "aggregate") {
            if (entry.value("aggregate_name", "") == "median")
                medians[runName] = nanoseconds;
        } else {
            plain[runName] = nanoseconds;
        }
    }
    for (const auto& [name, value] : medians)
        plain[name] = value;
    return plain;
}

std::optional<double> Find(const std::map<std::string, double>& values, const std::string& name)
{
    const auto found = values.find(name);
    if (found == values.end())
        return std::nullopt;
    return found->second;
}

nlohmann::json Row(const std::string& figure, const std::string& name, double value,
                   std::optional<double> baseline, const std::string& target,
                   std::optional<bool> met, const std::string& note)
{
    return {{"figure", figure},
            {"name", name},
            {"value", value},
            {"unit", "ns"},
            {"baseline", baseline ? nlohmann::json(*baseline) : nlohmann::json()},
            {"target", target},
            {"met", met ? nlohmann::json(*met) : nlohmann::json()},
            {"note", note}};
}

}  // namespace

nlohmann::json MicroRows(const nlohmann::json& benchmarkOutput)
{
    const auto values = NanosecondsPerOperation(benchmarkOutput);
    nlohmann::json rows = nlohmann::json::array();
    const std::pair<const char*, const char*> decoders[] = {
        {"BM_DecodeReplyFull", "DecodeReply, full reply (every known field, 196-byte payload)"},
        {"BM_DecodeReplyMinimal", "DecodeReply, minimal reply (MAC only)"},
        {"BM_ResetAndDecodeReplyFull", "ResetDeviceRecord + DecodeReply, full reply"},
        {"BM_ResetAndDecodeReplyMinimal", "ResetDeviceRecord + DecodeReply, minimal reply"},
    };
    for (const auto& [benchmark, name] : decoders) {
        if (const auto value = Find(values, benchmark))
            rows.push_back(Row("4 Decoding", name, *value, {}, "", {}, "per reply"));
    }
    const char* sizes[] = {"10", "1000", "100000"};
    const std::pair<const char*, const char*> operations[] = {{"Add", "/manual_time"},
                                                              {"Contains", "/real_time"},
                                                              {"PopHead", "/manual_time"},
                                                              {"Remove", "/manual_time"}};
    for (const auto& [operation, suffix] : operations) {
        for (const char* size : sizes) {
            const std::string benchmark =
                std::string("BM_LockedList") + operation + "/" + size + suffix;
            const auto value = Find(values, benchmark);
            if (!value)
                continue;
            const std::string name =
                std::string("LockedList ") + operation + ", " + size + " values";
            if (std::string(operation) != "Add") {
                rows.push_back(Row("4 LockedList", name, *value, {}, "", {}, "per operation"));
                continue;
            }
            // Adding is set against std::unordered_set inserting the same values.
            const auto baseline =
                Find(values, std::string("BM_UnorderedSetInsert/") + size + "/manual_time");
            const bool fill = std::string(size) == "100000";
            std::optional<bool> met;
            if (fill && baseline)
                met = *value <= 3 * *baseline;
            rows.push_back(Row("4 LockedList",
                               fill ? "LockedList fill of 100000 values (per Add)" : name, *value,
                               baseline, fill ? "<= 3x baseline" : "", met,
                               "baseline: std::unordered_set insert of the same values"));
        }
    }
    return rows;
}

}  // namespace ql5::bench
