// SPDX-License-Identifier: Apache-2.0
#ifndef QL5CONFIG_CONVERTERITEM_H
#define QL5CONFIG_CONVERTERITEM_H

#include <ql5/discovery.h>
#include <ql5common/conflicts.h>

#include <QIcon>
#include <QStringList>
#include <QTreeWidgetItem>

#include <optional>

// One row of the converter list. A device row holds the record of the
// newest reply as its data; the rows that stand in for converters
// (searching, nothing found, cannot search) hold none.
//
// The list sorts its rows by the column whose heading the user clicked:
// addresses by their value, so that 10.0.0.9 comes before 10.0.0.10, and
// texts alphabetically. The stand-in rows stay above every device row in
// either order, as they say what the list as a whole is doing.
class ConverterItem : public QTreeWidgetItem
{
public:
    // The item data role under which a device row holds its record.
    static constexpr int kRecordRole = Qt::UserRole;

    explicit ConverterItem(QTreeWidget* list);

    // Shows the record in the four columns and keeps it as the row's data.
    void setRecord(const DeviceRecordExchange& record);
    // The record of a device row, or none for a stand-in row.
    std::optional<DeviceRecordExchange> record() const;
    bool isDeviceRow() const;
    // The addresses of a device row's record, for the conflict rules.
    ql5common::ConverterAddressing addressing() const;

    // The row's conflicts (ql5common::FindConflicts): the given warning icon,
    // and their sentences as the tooltip of every column. Empty lists clear
    // them.
    void setWarnings(const QStringList& texts, const QStringList& keys, const QIcon& icon);
    QStringList warningTexts() const;
    QStringList warningKeys() const;

    // Whether any column contains the text, ignoring case. Stand-in rows
    // match every filter, as they describe the list and not a converter.
    bool matchesFilter(const QString& filter) const;

    // The four columns, separated by tabs, as a spreadsheet takes them.
    QString tabSeparatedText() const;

    QVariant data(int column, int role) const override;
    bool operator<(const QTreeWidgetItem& other) const override;
};

#endif
