#include "recordtext.h"

#include "stringtable.h"

#include <ql5common/address_text.h>
#include <ql5common/converter_text.h>
#include <ql5common/details_text.h>
#include <ql5common/product_name.h>

#include <string_view>

namespace ql5 {

QString FormatMac(const std::uint8_t macAddress[6])
{
    return QString::fromStdString(ql5common::FormatMac(macAddress));
}

QString FormatDottedDecimal(std::uint32_t networkOrderAddress)
{
    return QString::fromStdString(ql5common::FormatDottedDecimal(networkOrderAddress));
}

QString DecodeConverterText(const char* bytes, std::size_t capacity)
{
    const std::u32string text = ql5common::DecodeConverterText(bytes, capacity);
    return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
}

void SubstituteProductName(DeviceRecordExchange& record)
{
    const QByteArray replacement = StringTableText(ReplacementProductName).toUtf8();
    ql5common::SubstituteProductName(
        record,
        std::string_view(replacement.constData(), static_cast<std::size_t>(replacement.size())));
}

QString ComposeDetailsText(const DeviceRecordExchange& record)
{
    // A window's label shows the text as plain text, so it needs no escapes.
    return QString::fromStdString(ql5common::DetailsText(record, ql5common::TextForm::kAsReceived));
}

}  // namespace ql5
