// SPDX-License-Identifier: Apache-2.0
#ifndef QL5CONFIG_STRINGTABLE_H
#define QL5CONFIG_STRINGTABLE_H

#include <QString>

namespace ql5config {

// Ids of the utility's string table (resources/stringtable.txt).
enum StringId : int {
    kSearchingText = 1,           // the searching row
    kReplacementProductName = 2,  // shown instead of the module's own product name
    kIpAddressHeading = 3,
    kMacAddressHeading = 4,
    kNameHeading = 5,
    kConverterHeading = 6,
    kNoSelectionText = 7,    // a command found no selected record
    kInternalErrorText = 8,  // the main window has no context
};

// The text of a string table entry, or an empty text for an id the table
// does not hold. The table is read once, on first use.
QString stringTableText(int id);

}  // namespace ql5config

#endif
