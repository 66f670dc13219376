// SPDX-License-Identifier: Apache-2.0
#ifndef QL5CONFIG_INVENTORYEXPORT_H
#define QL5CONFIG_INVENTORYEXPORT_H

#include <ql5/discovery.h>

#include <QByteArray>
#include <QList>
#include <QStringList>

// The list as a file, in exactly the shapes of `ql5ctl list --format csv`
// and `--format json`: both are written by the common library's writers.
namespace ql5config {

enum class InventoryFormat { kCsv, kJson };

// A listed converter: its record as received and the keys of its warnings.
struct ListedConverter {
    DeviceRecordExchange record{};
    QStringList warningKeys;
};

// The file's contents. Each converter names the interface that holds the
// local address it answered on, as this workstation names it now.
QByteArray inventoryText(const QList<ListedConverter>& converters, InventoryFormat format);

}  // namespace ql5config

#endif
