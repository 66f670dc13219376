// SPDX-License-Identifier: Apache-2.0
// The three output formats of `list` and `info`. The JSON shape is documented
// in the README and kept stable: fields may be added, never renamed or
// removed.
#pragma once

#include "converter_view.h"

#include <optional>
#include <ostream>
#include <string_view>
#include <vector>

namespace ql5ctl {

enum class OutputFormat { kTable, kJson, kCsv };

std::optional<OutputFormat> ParseOutputFormat(std::string_view text);

// A table with one header line and one line per converter, columns padded
// with spaces: IP address, MAC, name, product, interface, DHCP, firmware.
void WriteTable(std::ostream& out, const std::vector<ConverterView>& converters);

// A header line with the JSON key names, then one line per converter.
void WriteCsv(std::ostream& out, const std::vector<ConverterView>& converters);

// {"converters": [ {...}, ... ]}
void WriteListJson(std::ostream& out, const std::vector<ConverterView>& converters);

// One converter object, as it appears in the list's array.
void WriteConverterJson(std::ostream& out, const ConverterView& converter,
                        std::string_view indent = "");

}  // namespace ql5ctl
