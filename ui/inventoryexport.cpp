// SPDX-License-Identifier: Apache-2.0
#include "inventoryexport.h"

#include "searchstatus.h"

#include <ql5common/converter_view.h>
#include <ql5common/inventory_formats.h>

#include <sstream>
#include <string>
#include <vector>

namespace ql5config {

QByteArray inventoryText(const QList<ListedConverter>& converters, InventoryFormat format)
{
    QList<std::uint32_t> addresses;
    for (const ListedConverter& converter : converters)
        addresses.append(converter.record.localAddress);
    const QList<SearchedNetwork> networks = networksOf(addresses);

    std::vector<ql5common::ConverterView> views;
    views.reserve(static_cast<std::size_t>(converters.size()));
    for (qsizetype index = 0; index < converters.size(); ++index) {
        ql5common::ConverterView view = ql5common::MakeConverterView(
            converters[index].record, networks[index].interfaceName.toStdString());
        for (const QString& key : converters[index].warningKeys)
            view.warnings.push_back(key.toStdString());
        views.push_back(std::move(view));
    }
    std::ostringstream out;
    if (format == InventoryFormat::kCsv)
        ql5common::WriteCsv(out, views);
    else
        ql5common::WriteListJson(out, views);
    const std::string text = out.str();
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace ql5config
