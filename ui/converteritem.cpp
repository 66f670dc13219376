// SPDX-License-Identifier: Apache-2.0
#include "converteritem.h"

#include "converterwarnings.h"
#include "recordtext.h"

#include <QHeaderView>
#include <QStringList>
#include <QTreeWidget>
#include <QtEndian>

#include <tuple>

using namespace ql5;

namespace {

constexpr int kColumns = 4;

// What sorts a device row: the record's address in host order (so that the
// first octet weighs most), its MAC, and the local address it answered on.
// The stored key spares each comparison a copy of the whole record.
constexpr int kAddressKeyRole = Qt::UserRole + 1;
constexpr int kMacKeyRole = Qt::UserRole + 2;
constexpr int kWarningTextsRole = Qt::UserRole + 3;
constexpr int kWarningKeysRole = Qt::UserRole + 4;

bool addressLess(const QTreeWidgetItem& left, const QTreeWidgetItem& right)
{
    const auto key = [](const QTreeWidgetItem& item) {
        return std::tuple(item.data(0, kAddressKeyRole).toUInt(),
                          item.data(0, kMacKeyRole).toByteArray());
    };
    return key(left) < key(right);
}

}  // namespace

ConverterItem::ConverterItem(QTreeWidget* list)
    : QTreeWidgetItem(list, QTreeWidgetItem::UserType)
{
}

void ConverterItem::setRecord(const DeviceRecordExchange& record)
{
    // The row's data keeps the record as received; only the shown name is
    // substituted.
    setData(0, kAddressKeyRole, qFromBigEndian(record.ipAddress));
    setData(0, kMacKeyRole,
            QByteArray(reinterpret_cast<const char*>(record.macAddress), sizeof record.macAddress) +
                QByteArray(reinterpret_cast<const char*>(&record.localAddress),
                           sizeof record.localAddress));
    setData(0, kRecordRole, QVariant::fromValue(record));
    setText(0, formatDottedDecimal(record.ipAddress));
    setText(1, formatMac(record.macAddress));
    setText(2, shownConverterText(record.code4Text));
    setText(3, shownProductName(record));
}

std::optional<DeviceRecordExchange> ConverterItem::record() const
{
    const QVariant stored = data(0, kRecordRole);
    if (!stored.isValid())
        return std::nullopt;
    return stored.value<DeviceRecordExchange>();
}

ql5common::ConverterAddressing ConverterItem::addressing() const
{
    // Read in place: the whole list is checked after every notification.
    const QVariant stored = data(0, kRecordRole);
    if (!stored.isValid())
        return {};
    return addressingOf(*static_cast<const DeviceRecordExchange*>(stored.constData()));
}

bool ConverterItem::isDeviceRow() const
{
    return data(0, kRecordRole).isValid();
}

void ConverterItem::setWarnings(const QStringList& texts, const QStringList& keys,
                                const QIcon& icon)
{
    // Every notification checks the whole list again; only a change touches
    // the row, as each change of a sorted row moves it.
    if (texts == warningTexts())
        return;
    setData(0, kWarningTextsRole, texts);
    setData(0, kWarningKeysRole, keys);
    setIcon(0, texts.isEmpty() ? QIcon() : icon);
}

QVariant ConverterItem::data(int column, int role) const
{
    // The tooltip of every column is made from the warnings when asked for,
    // rather than stored four times in each of thousands of rows.
    if (role == Qt::ToolTipRole && column >= 0 && column < kColumns) {
        const QStringList texts = warningTexts();
        if (!texts.isEmpty())
            return texts.join(QLatin1Char('\n'));
    }
    return QTreeWidgetItem::data(column, role);
}

QStringList ConverterItem::warningTexts() const
{
    return QTreeWidgetItem::data(0, kWarningTextsRole).toStringList();
}

QStringList ConverterItem::warningKeys() const
{
    return data(0, kWarningKeysRole).toStringList();
}

bool ConverterItem::matchesFilter(const QString& filter) const
{
    if (filter.isEmpty() || !isDeviceRow())
        return true;
    for (int column = 0; column < kColumns; ++column) {
        if (text(column).contains(filter, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

QString ConverterItem::tabSeparatedText() const
{
    QStringList columns;
    for (int column = 0; column < kColumns; ++column)
        columns.append(text(column));
    return columns.join(QLatin1Char('\t'));
}

bool ConverterItem::operator<(const QTreeWidgetItem& other) const
{
    const bool device = data(0, kRecordRole).isValid();
    const bool otherDevice = other.data(0, kRecordRole).isValid();
    if (device != otherDevice) {
        // A descending sort asks whether the other row is less than this
        // one, so the stand-in row must then be the greater one.
        const QTreeWidget* list = treeWidget();
        const bool descending =
            list != nullptr && list->header()->sortIndicatorOrder() == Qt::DescendingOrder;
        return descending ? device : otherDevice;
    }
    // Stand-in rows keep their order among themselves.
    if (!device)
        return false;

    const int column = treeWidget() != nullptr ? treeWidget()->sortColumn() : 0;
    if (column <= 1) {
        if (column == 1 && text(1) != other.text(1))
            return text(1) < other.text(1);
        return addressLess(*this, other);
    }
    const int byText = text(column).compare(other.text(column), Qt::CaseInsensitive);
    if (byText != 0)
        return byText < 0;
    // Equal names sort by address, so that the order does not depend on
    // when the replies came in.
    return addressLess(*this, other);
}
