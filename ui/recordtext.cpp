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
    if (const auto plain = plainConverterText(bytes, capacity))
        return QString(*plain);
    // WindowText decodes as it goes: the bytes need no decoding first.
    return QString::fromStdString(ql5common::WindowText(std::string_view(
        bytes, static_cast<std::size_t>(std::find(bytes, bytes + capacity, '\0') - bytes))));
}

std::optional<QLatin1String> plainConverterText(const char* bytes, std::size_t capacity)
{
    const char* const end = std::find(bytes, bytes + capacity, '\0');
    if (!std::all_of(bytes, end, [](char c) { return c >= ' ' && c <= '~'; }))
        return std::nullopt;
    return QLatin1String(bytes, static_cast<qsizetype>(end - bytes));
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
