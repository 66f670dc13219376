// SPDX-License-Identifier: Apache-2.0
// The inventory of converters as CSV and JSON: the shapes of `ql5ctl list`
// and of QL5Config's export, written by one piece of code so that a file saved
// by either reads the same. The shapes are documented in the README and kept
// stable: fields may be added, never renamed or removed.
#pragma once

#include "ql5common/converter_view.h"

#include <ostream>
#include <string_view>
#include <vector>

namespace ql5common {

// A header line with the JSON key names, then one line per converter. The
// warnings cell joins the keys with ";".
void WriteCsv(std::ostream& out, const std::vector<ConverterView>& converters);

// {"converters": [ {...}, ... ]}
void WriteListJson(std::ostream& out, const std::vector<ConverterView>& converters);

// One converter object, as it appears in the list's array; `indent` starts
// every line after the first.
void WriteConverterJson(std::ostream& out, const ConverterView& c, std::string_view indent = "");

// The same object on one line, for streams with one object per line.
void WriteConverterJsonLine(std::ostream& out, const ConverterView& c);

}  // namespace ql5common
