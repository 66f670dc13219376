// SPDX-License-Identifier: Apache-2.0
#ifndef QL5CONFIG_CONVERTERLISTPROXY_H
#define QL5CONFIG_CONVERTERLISTPROXY_H

#include <QSortFilterProxyModel>
#include <QString>

namespace ql5config {

class ConverterListModel;

// The list as the window shows it: sorted by the column whose heading the
// user clicked (in arrival order until then), and only the device rows that
// contain the filter text. The stand-in rows stay above every device row in
// either order and pass every filter, as they describe the list and not a
// converter.
class ConverterListProxy : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit ConverterListProxy(ConverterListModel* source, QObject* parent = nullptr);

    void setFilterText(const QString& text);
    QString filterText() const { return filterText_; }
    // The device rows that the filter lets through.
    int shownDeviceRows() const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    const ConverterListModel* source_;
    QString filterText_;
};

}  // namespace ql5config

#endif
