// SPDX-License-Identifier: Apache-2.0
// The output formats of `list` and `info`: the table is ql5ctl's own, CSV and
// JSON are the inventory formats that QL5Config's export shares, and `list`
// also writes Prometheus' text format for a monitoring system.
#pragma once

#include <ql5common/converter_view.h>
#include <ql5common/inventory_formats.h>

#include <optional>
#include <ostream>
#include <string_view>
#include <vector>

namespace ql5ctl {

using ql5common::ConverterView;
using ql5common::MakeConverterView;
using ql5common::WriteConverterJson;
using ql5common::WriteConverterJsonLine;
using ql5common::WriteCsv;
using ql5common::WriteListJson;

enum class OutputFormat { kTable, kJson, kCsv, kPrometheus };

std::optional<OutputFormat> ParseOutputFormat(std::string_view text);

// A table with one header line and one line per converter, columns padded
// with spaces: IP address, MAC, name, product, interface, DHCP, firmware, and
// "!" for a converter with warnings.
void WriteTable(std::ostream& out, const std::vector<ConverterView>& converters);

}  // namespace ql5ctl
