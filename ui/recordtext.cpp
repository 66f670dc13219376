// SPDX-License-Identifier: Apache-2.0
#include "recordtext.h"

#include "stringtable.h"

#include <ql5common/address_text.h>
#include <ql5common/converter_text.h>
#include <ql5common/details_text.h>
#include <ql5common/product_name.h>

#include <algorithm>
#include <string_view>

namespace ql5config {

QString formatMac(const std::uint8_t macAddress[6])
{
    return QString::fromStdString(ql5common::FormatMac(macAddress));
}

QString formatDottedDecimal(std::uint32_t networkOrderAddress)
{
    return QString::fromStdString(ql5common::FormatDottedDecimal(networkOrderAddress));
}

QString shownConverterText(const char* bytes, std::size_t capacity)
{
    const std::string_view text(
        bytes, static_cast<std::size_t>(std::find(bytes, bytes + capacity, '\0') - bytes));
    // Most texts are printable ASCII, which has nothing to decode or to
    // neutralise; a list of thousands of converters fills faster for it.
    if (std::all_of(text.begin(), text.end(), [](char c) { return c >= ' ' && c <= '~'; }))
        return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    // WindowText decodes as it goes: the bytes need no decoding first.
    return QString::fromStdString(ql5common::WindowText(text));
}

QString shownProductName(const DeviceRecordExchange& record)
{
    if (ql5common::IsModuleProductName(record.productName))
        return stringTableText(kReplacementProductName);
    return shownConverterText(record.productName);
}

QString detailsText(const DeviceRecordExchange& record)
{
    return QString::fromStdString(ql5common::DetailsText(record, ql5common::TextForm::kWindow));
}

}  // namespace ql5config
