// SPDX-License-Identifier: Apache-2.0
#ifndef QL5CONFIG_STRINGTABLE_H
#define QL5CONFIG_STRINGTABLE_H

#include <QString>

namespace ql5config {

// Ids of the utility's numbered texts (ui/stringtable.cpp), translated like
// every other text.
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

// The entry's text in the language in use, or an empty text for an id the
// table does not hold.
QString stringTableText(int id);

}  // namespace ql5config

#endif
