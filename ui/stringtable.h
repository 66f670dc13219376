#ifndef QL5CONFIG_STRINGTABLE_H
#define QL5CONFIG_STRINGTABLE_H

#include <QString>

namespace ql5 {

// Ids of the utility's string table (resources/stringtable.txt).
enum StringId : int {
    SearchingText = 1,           // the searching row
    ReplacementProductName = 2,  // shown instead of the module's own product name
    IpAddressHeading = 3,
    MacAddressHeading = 4,
    NameHeading = 5,
    ConverterHeading = 6,
    NoSelectionText = 7,    // a command found no selected record
    InternalErrorText = 8,  // the main window has no context
};

// The text of a string table entry, or an empty text for an id the table
// does not hold. The table is read once, on first use.
QString StringTableText(int id);

}  // namespace ql5

#endif
