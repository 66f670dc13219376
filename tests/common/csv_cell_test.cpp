// SPDX-License-Identifier: Apache-2.0
// CSV cells: quoting, and cells that a spreadsheet must not run as formulas.
#include <ql5common/csv_cell.h>

#include <gtest/gtest.h>

using namespace ql5common;

TEST(CsvCell, QuotesOnlyWhatNeedsIt)
{
    const struct {
        const char* text;
        const char* cell;
    } rows[] = {
        {"Line 1", "Line 1"},
        {"", ""},
        {"Hall 2, east", "\"Hall 2, east\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {" padded", "\" padded\""},
        {"padded ", "\"padded \""},
        {"two\nlines", "\"two\nlines\""},
        {"198.51.100.10", "198.51.100.10"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(CsvCell(row.text), row.cell) << row.text;
}

TEST(CsvCell, CellThatStartsLikeAFormulaIsWrittenAsText)
{
    const struct {
        const char* text;
        const char* cell;
    } rows[] = {
        {"=1+2", "'=1+2"},
        {"+1", "'+1"},
        {"-1", "'-1"},
        {"@SUM(A1:A2)", "'@SUM(A1:A2)"},
        {"\tcmd", "'\tcmd"},
        {"\rcmd", "\"'\rcmd\""},
        {"=HYPERLINK(\"http://x\",\"y\")", "\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\""},
        {"=a,b", "\"'=a,b\""},
        // Only the first character counts.
        {"a=b", "a=b"},
        {"2-1", "2-1"},
        {" =1", "\" =1\""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(StartsLikeFormula(row.text), row.cell[0] == '\'' || row.cell[1] == '\'')
            << row.text;
        EXPECT_EQ(CsvCell(row.text), row.cell) << row.text;
    }
}
