// SPDX-License-Identifier: Apache-2.0
// One cell of a CSV file (RFC 4180) that a spreadsheet may open.
#pragma once

#include <string>
#include <string_view>

namespace ql5common {

// True when a spreadsheet would take the cell for a formula: it begins with
// "=", "+", "-" or "@", or with a tab or carriage return, which some
// spreadsheets skip before they look for those.
bool StartsLikeFormula(std::string_view text);

// The cell as it goes into the file. A cell that starts like a formula gets a
// leading apostrophe, which spreadsheets take as "this is text" and do not
// show. A cell that holds a comma, a quote or a line break, or that begins or
// ends with a space, is quoted, with its quotes doubled.
std::string CsvCell(std::string_view text);

}  // namespace ql5common
