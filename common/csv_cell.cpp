// SPDX-License-Identifier: Apache-2.0
#include "ql5common/csv_cell.h"

namespace ql5common {

bool StartsLikeFormula(std::string_view text)
{
    return !text.empty() &&
           std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos;
}

std::string CsvCell(std::string_view text)
{
    std::string cell;
    if (StartsLikeFormula(text))
        cell += '\'';
    cell += text;
    const bool quote = cell.find_first_of(",\"\r\n") != std::string::npos ||
                       (!cell.empty() && (cell.front() == ' ' || cell.back() == ' '));
    if (!quote)
        return cell;
    std::string quoted = "\"";
    for (char c : cell) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

}  // namespace ql5common
