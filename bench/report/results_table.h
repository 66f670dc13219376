// SPDX-License-Identifier: Apache-2.0
// The results table: rows gathered from every benchmark's output, the
// machine they ran on, and the two forms in which the table is kept (JSON for
// tools, Markdown for the README).
#pragma once

#include <nlohmann/json.hpp>

#include <string>

namespace ql5::bench {

// Rows of the Google Benchmark figures (decoding, the locked list), from the
// JSON that --benchmark_out writes.
nlohmann::json MicroRows(const nlohmann::json& benchmarkOutput);

// The table: {"date", "machine", "load", "command", "rows", "details"}.
// Every row gets its ratio (value / baseline) here.
nlohmann::json AssembleTable(const nlohmann::json& rows, const nlohmann::json& details,
                             const nlohmann::json& load, const std::string& command);

std::string MarkdownTable(const nlohmann::json& table);

}  // namespace ql5::bench
