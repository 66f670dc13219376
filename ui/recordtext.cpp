// SPDX-License-Identifier: Apache-2.0
#include "recordtext.h"

#include "stringtable.h"

#include <ql5common/address_text.h>
#include <ql5common/converter_text.h>
#include <ql5common/details_text.h>
#include <ql5common/product_name.h>

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
    return QString::fromStdString(
        ql5common::WindowText(ql5common::DecodeConverterText(bytes, capacity)));
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
