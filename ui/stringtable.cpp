// SPDX-License-Identifier: Apache-2.0
#include "stringtable.h"

#include <QCoreApplication>

#include <array>
#include <utility>

namespace ql5config {

namespace {

// The utility's numbered texts, marked for translation in the context
// "StringTable" and translated when they are asked for.
constexpr std::array<std::pair<int, const char*>, 8> kTable = {{
    {kSearchingText, QT_TRANSLATE_NOOP("StringTable", "Searching...")},
    {kReplacementProductName, QT_TRANSLATE_NOOP("StringTable", "QL5 Converter")},
    {kIpAddressHeading, QT_TRANSLATE_NOOP("StringTable", "IP Address")},
    {kMacAddressHeading, QT_TRANSLATE_NOOP("StringTable", "MAC Address")},
    {kNameHeading, QT_TRANSLATE_NOOP("StringTable", "Name")},
    {kConverterHeading, QT_TRANSLATE_NOOP("StringTable", "Converter")},
    {kNoSelectionText, QT_TRANSLATE_NOOP("StringTable", "No QL5 was selected on list !")},
    {kInternalErrorText, QT_TRANSLATE_NOOP("StringTable", "Internal error !")},
}};

}  // namespace

QString stringTableText(int id)
{
    for (const auto& [entry, text] : kTable) {
        if (entry == id)
            return QCoreApplication::translate("StringTable", text);
    }
    return {};
}

}  // namespace ql5config
